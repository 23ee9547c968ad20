#pragma once

#include <QCoreApplication>

// The one door of the words the data layer builds for people (reasons, refusals): each goes through
// DataText::tr(), so that another language is a translation of the context "DataText" installed
// with QCoreApplication::installTranslator, and no register code changes. Without one, tr() gives
// the Japanese of the source.
class DataText
{
    Q_DECLARE_TR_FUNCTIONS(DataText)
};
