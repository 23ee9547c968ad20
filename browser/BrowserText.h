#pragma once

#include <QCoreApplication>

// The one door of the words the browser layer builds for people (why an address is not opened):
// each goes through BrowserText::tr(), so that another language is a translation of the context
// "BrowserText" installed with QCoreApplication::installTranslator, and no browser code changes.
// Without one, tr() gives the Japanese of the source.
class BrowserText
{
    Q_DECLARE_TR_FUNCTIONS(BrowserText)
};
