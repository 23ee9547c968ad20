#pragma once

#include <QCoreApplication>
#include <QTranslator>

// A translation of one context that brackets each source text, "[…]", installed for as long as
// it lives: a text that comes out bracketed went through that context's door, and a "%1" filled
// inside the brackets was filled after the translation, as another language needs.
class MarkingTranslator : public QTranslator
{
public:
    explicit MarkingTranslator(const char *context) : m_context(context)
    {
        QCoreApplication::installTranslator(this);
    }
    ~MarkingTranslator() override { QCoreApplication::removeTranslator(this); }

    QString translate(const char *context, const char *sourceText, const char * = nullptr, int = -1) const override
    {
        if (qstrcmp(context, m_context) != 0)
            return {};
        return QLatin1Char('[') + QString::fromUtf8(sourceText) + QLatin1Char(']');
    }
    bool isEmpty() const override { return false; }

private:
    const char *m_context;
};
