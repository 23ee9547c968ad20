#pragma once

#include <QCoreApplication>

// The one door of the words the publishing layer builds for people (a marker's or a template's
// refusals, why a page was not written, a publish's summary): each goes through
// PublishingText::tr(), so that another language is a translation of the context "PublishingText"
// installed with QCoreApplication::installTranslator, and no publishing code changes. Without one,
// tr() gives the Japanese of the source.
class PublishingText
{
    Q_DECLARE_TR_FUNCTIONS(PublishingText)
};
