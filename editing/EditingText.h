#pragma once

#include <QCoreApplication>

// The one door of the words the editing layer builds for people (questions, refusals, what an
// operation did or could not do): each goes through EditingText::tr(), so that another language is
// a translation of the context "EditingText" installed with QCoreApplication::installTranslator,
// and no editing code changes. Without one, tr() gives the Japanese of the source.
class EditingText
{
    Q_DECLARE_TR_FUNCTIONS(EditingText)
};
