#include "DisplayText.h"

QString DisplayText::shortened(const QString &text)
{
    QString out;
    int lines = 0;
    for (qsizetype start = 0; start <= text.size(); ++lines) {
        if (lines == kMaxLines) {
            out += QStringLiteral("\n…");
            break;
        }
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        if (lines > 0)
            out += QLatin1Char('\n');
        const qsizetype length = end - start;
        out += QStringView(text).sliced(start, std::min(length, kMaxLineChars));
        if (length > kMaxLineChars)
            out += QStringLiteral("…");
        start = end + 1;
    }
    return out;
}

QString DisplayText::toolTip(const QString &text)
{
    if (text.isEmpty())
        return text; // no tooltip at all
    return QStringLiteral("<p style=\"white-space: pre-wrap\">") + shortened(text).toHtmlEscaped()
        + QStringLiteral("</p>");
}
