#pragma once

#include <QCoreApplication>

// The one door of the words the command line builds for people (usage errors, refusals, reports and
// questions on the terminal): each goes through CliText::tr(), so that another language is a
// translation of the context "CliText" installed with QCoreApplication::installTranslator, and no
// command code changes. Without one, tr() gives the Japanese of the source.
class CliText
{
    Q_DECLARE_TR_FUNCTIONS(CliText)
};
