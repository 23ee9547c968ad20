#include "PreviewMarkup.h"

#include <QStringView>

#include <algorithm>

namespace {

// Elements that hold nothing, so open no level.
bool isVoid(QStringView name)
{
    static const char *const kVoid[] = {"area", "base", "br", "col", "embed", "hr", "img", "input",
                                        "link", "meta", "param", "source", "track", "wbr"};
    return std::any_of(std::begin(kVoid), std::end(kVoid),
                       [name](const char *v) { return name.compare(QLatin1String(v), Qt::CaseInsensitive) == 0; });
}

bool nameChar(QChar c)
{
    return c.isLetterOrNumber() && c.unicode() < 0x80;
}

// One pass over the markup: every tag that opens something counts as a level until a closing tag
// of any name takes one back. Unclosed tags (which the parser may close itself) and "<x/>" count
// as open, so the estimate can only be too high: the notice may show for a page that would have
// been quick, never the other way round.
bool nestsTooDeep(QStringView html)
{
    int depth = 0;
    int tables = 0;
    for (qsizetype i = html.indexOf(QLatin1Char('<')); i >= 0 && i + 1 < html.size();
         i = html.indexOf(QLatin1Char('<'), i + 1)) {
        const bool closing = html[i + 1] == QLatin1Char('/');
        const qsizetype start = i + (closing ? 2 : 1);
        qsizetype end = start;
        while (end < html.size() && nameChar(html[end]))
            ++end;
        if (end == start)
            continue; // "<" as text, a comment or a declaration
        const QStringView name = html.sliced(start, end - start);
        const bool table = name.compare(QLatin1String("table"), Qt::CaseInsensitive) == 0;
        if (closing) {
            depth = std::max(0, depth - 1);
            if (table)
                tables = std::max(0, tables - 1);
        } else if (!isVoid(name)) {
            if (++depth > PreviewMarkup::kMaxDepth || (table && ++tables > PreviewMarkup::kMaxTableDepth))
                return true;
        }
    }
    return false;
}

} // namespace

PreviewMarkup PreviewMarkup::of(const QString &code)
{
    PreviewMarkup part;
    qsizetype end = 0;
    while (end < code.size() && part.lines < kMaxLines && end < kMaxChars) {
        const qsizetype next = code.indexOf(QLatin1Char('\n'), end);
        end = next < 0 ? code.size() : next + 1;
        ++part.lines;
    }
    // A line of any length ends at the cap, mid-line if need be.
    end = std::min(end, kMaxChars);
    part.html = code.left(end);
    part.cut = end < code.size();
    part.tooComplex = nestsTooDeep(part.html);
    return part;
}
