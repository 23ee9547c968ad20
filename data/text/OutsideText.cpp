#include "OutsideText.h"

#include <algorithm>

namespace {

QString cut(QString text, int limit)
{
    if (text.size() <= limit)
        return text;
    qsizetype keep = limit - 1;
    if (keep > 0 && text.at(keep - 1).isHighSurrogate())
        --keep;
    text.truncate(keep);
    return text + QChar(0x2026);
}

QString escapeOf(char16_t c)
{
    switch (c) {
    case u'\n': return QStringLiteral("\\n");
    case u'\r': return QStringLiteral("\\r");
    case u'\t': return QStringLiteral("\\t");
    default:
        break;
    }
    if (c < 0x100)
        return QStringLiteral("\\x") + QString::number(c, 16).toUpper().rightJustified(2, u'0');
    return QStringLiteral("\\u") + QString::number(c, 16).toUpper().rightJustified(4, u'0');
}

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || OutsideText::isBidiControl(c) || c == 0x2028 || c == 0x2029;
}

// A byte of a file name that is no UTF-8 (see RegisterFolder), shown as that byte.
bool isRawByte(const QString &text, qsizetype i)
{
    const char16_t c = text.at(i).unicode();
    return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !text.at(i - 1).isHighSurrogate());
}

} // namespace

bool OutsideText::isBidiControl(char16_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

QString OutsideText::capped(const QString &text, int limit)
{
    // What is dropped does not count: the cut comes after it.
    QString kept;
    kept.reserve(std::min<qsizetype>(text.size(), limit));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\t' || u == u'\n' || u == u'\r' || u == 0x2028 || u == 0x2029)
            kept += u' ';
        else if (!isControl(u))
            kept += c;
        if (kept.size() > limit)
            break;
    }
    return cut(std::move(kept), limit);
}

QString OutsideText::inMessage(const QString &text)
{
    // Cut before the escapes are written, so that none is cut in half.
    const QString kept = cut(text, kMaxName);
    QString shown;
    shown.reserve(kept.size());
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const char16_t c = kept.at(i).unicode();
        shown += isRawByte(kept, i) ? escapeOf(c - 0xDC00) : isControl(c) ? escapeOf(c) : QString(kept.at(i));
    }
    return shown;
}
