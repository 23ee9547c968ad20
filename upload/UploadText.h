#pragma once

#include <QCoreApplication>

// The one door of the words the upload layer builds for people (reasons, results, questions the
// window and the command line word for themselves): each goes through UploadText::tr(), so that
// another language is a translation of the context "UploadText" and no upload code changes.
class UploadText
{
    Q_DECLARE_TR_FUNCTIONS(UploadText)
};
