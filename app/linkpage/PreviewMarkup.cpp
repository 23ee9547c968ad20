#include "PreviewMarkup.h"

#include <QStringView>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

// Elements that hold nothing, so open no level.
bool isVoid(QStringView name)
{
    static const char *const kVoid[] = {"area", "base", "br", "col", "embed", "hr", "img", "input",
                                        "link", "meta", "param", "source", "track", "wbr"};
    return std::any_of(std::begin(kVoid), std::end(kVoid),
                       [name](const char *v) { return name.compare(QLatin1String(v), Qt::CaseInsensitive) == 0; });
}

bool isCell(QStringView name)
{
    return name.compare(QLatin1String("td"), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String("th"), Qt::CaseInsensitive) == 0;
}

bool isRow(QStringView name)
{
    return name.compare(QLatin1String("tr"), Qt::CaseInsensitive) == 0;
}

bool isTablePart(QStringView name)
{
    return isCell(name) || isRow(name) || name.compare(QLatin1String("table"), Qt::CaseInsensitive) == 0;
}

bool nameChar(QChar c)
{
    return c.isLetterOrNumber() && c.unicode() < 0x80;
}

// One pass over the markup, keeping the open elements as the document's parser keeps them: a
// closing tag closes the nearest open element of its name and every element opened after it, and
// a closing tag that matches no open element is passed over (as the parser passes it over: "</b>"
// after each "<ul>" once hid any depth). A cell that is not in a row may be a table of its own,
// nested in the one before ("<td>x</td></tr><td>"), which the parser builds in time that grows
// with the square of their number: past a few, the markup is refused before it is parsed. Tags
// the parser would close by itself and "<x/>" stay open here, so the estimate can only be too
// high: the notice may show for a page that would have been quick, never the other way round.
bool nestsTooDeep(QStringView html)
{
    std::vector<QStringView> open;
    int strayCells = 0;
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
        if (closing) {
            // The search is bounded by kMaxDepth, so the pass stays linear.
            const auto match = std::find_if(open.rbegin(), open.rend(), [name](QStringView o) {
                return o.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (match != open.rend())
                open.erase(std::prev(match.base()), open.end());
        } else if (!isVoid(name)) {
            if (isCell(name)) {
                const auto around = std::find_if(open.rbegin(), open.rend(), isTablePart);
                if ((around == open.rend() || !isRow(*around)) && ++strayCells > PreviewMarkup::kMaxStrayCells)
                    return true;
            }
            open.push_back(name);
            if (open.size() > std::size_t(PreviewMarkup::kMaxDepth))
                return true;
        }
    }
    return false;
}

int tableDepth(const QTextFrame &frame, int depth)
{
    int deepest = depth;
    const QList<QTextFrame *> children = frame.childFrames();
    for (const QTextFrame *child : children) {
        const int below = depth + (qobject_cast<const QTextTable *>(child) ? 1 : 0);
        if (below > PreviewMarkup::kMaxTableDepth)
            return below; // deep enough to refuse: no need to walk further down
        deepest = std::max(deepest, tableDepth(*child, below));
        if (deepest > PreviewMarkup::kMaxTableDepth)
            break;
    }
    return deepest;
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

bool PreviewMarkup::tablesNestTooDeep(const QTextDocument &document)
{
    return tableDepth(*document.rootFrame(), 0) > kMaxTableDepth;
}
