#pragma once

#include <QCoreApplication>

// The one door of the words the link check builds for people (a link's state and why): each goes
// through LinkCheckText::tr(), so that another language is a translation of the context
// "LinkCheckText" installed with QCoreApplication::installTranslator, and no link check code
// changes. Without one, tr() gives the Japanese of the source.
class LinkCheckText
{
    Q_DECLARE_TR_FUNCTIONS(LinkCheckText)
};
