#include "PageMarkers.h"

#include "PageEncoding.h"
#include "PublishingText.h"

#include <optional>

namespace {

constexpr QByteArrayView kStartWord = "sitekanri";
constexpr QByteArrayView kEndWord = "/sitekanri";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// (On views: a slice of a QByteArray is a copy of it.)
bool startsWithNoCase(QByteArrayView bytes, qsizetype at, QByteArrayView word)
{
    return at + word.size() <= bytes.size() && bytes.sliced(at, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

// Line numbers of byte offsets met in ascending order, counted once.
class LineCounter
{
public:
    explicit LineCounter(const QByteArray &page) : m_page(page) {}
    int lineOf(qsizetype offset)
    {
        for (; m_at < offset; ++m_at)
            m_line += m_page[m_at] == '\n';
        return m_line;
    }

private:
    const QByteArray &m_page;
    qsizetype m_at = 0;
    int m_line = 1;
};

// The word a comment's text begins with, if it is one of ours, and where the rest of it starts.
enum class Marker { None, Start, End };
Marker markerIn(QByteArrayView body, qsizetype &rest)
{
    qsizetype at = 0;
    while (at < body.size() && isBlank(body[at]))
        ++at;
    for (const auto &[word, marker] : {std::pair{kEndWord, Marker::End}, std::pair{kStartWord, Marker::Start}}) {
        const qsizetype end = at + word.size();
        if (body.sliced(at).startsWith(word) && (end == body.size() || isBlank(body[end]))) {
            rest = end;
            return marker;
        }
    }
    return Marker::None;
}

// The element whose text is no markup starting at `at` (its name's length), or 0.
qsizetype rawTextElementAt(QByteArrayView page, qsizetype at)
{
    for (QByteArrayView name : {QByteArrayView("script"), QByteArrayView("style"), QByteArrayView("textarea"), QByteArrayView("title")}) {
        const qsizetype end = at + 1 + name.size();
        if (startsWithNoCase(page, at + 1, name) && end < page.size() && (isBlank(page[end]) || page[end] == '>' || page[end] == '/'))
            return name.size();
    }
    return 0;
}

// The blanks before `at` when only blanks stand between the line's start and it.
QByteArray indentBefore(const QByteArray &page, qsizetype at)
{
    qsizetype start = at;
    while (start > 0 && (page[start - 1] == ' ' || page[start - 1] == '\t'))
        --start;
    if (start > 0 && page[start - 1] != '\n' && page[start - 1] != '\r')
        return {};
    return page.mid(start, at - start);
}

} // namespace

QString PageMarkers::describeRefusal() const
{
    return refusalLine > 0 ? PublishingText::tr("%1 行目: %2").arg(refusalLine).arg(refusal) : refusal;
}

PageMarkers FindMarkers(const QByteArray &page, const PageEncoding &encoding, const RegionOptions &defaults)
{
    PageMarkers found;
    LineCounter lines(page);
    const auto refuseAtLine = [&](int line, const QString &why) {
        found.regions.clear();
        found.refusal = why;
        found.refusalLine = line;
        return found;
    };
    const auto refuse = [&](qsizetype at, const QString &why) { return refuseAtLine(lines.lineOf(at), why); };
    std::optional<MarkedRegion> open;
    for (qsizetype at = page.indexOf('<'); at >= 0; at = page.indexOf('<', at + 1)) {
        if (const qsizetype name = rawTextElementAt(page, at)) {
            const QByteArray closing = "</" + page.mid(at + 1, name).toLower();
            qsizetype end = at;
            while ((end = page.indexOf("</", end + 1)) >= 0 && !startsWithNoCase(page, end, closing)) {
            }
            if (end < 0)
                break;
            at = end;
            continue;
        }
        if (!startsWithNoCase(page, at, "<!--"))
            continue;
        // "<!-->" and "<!--->" are comments that end where they start.
        if (startsWithNoCase(page, at + 4, ">") || startsWithNoCase(page, at + 4, "->")) {
            at += 4;
            continue;
        }
        const qsizetype close = page.indexOf("-->", at + 4);
        const QByteArrayView body = QByteArrayView(page).sliced(at + 4, (close < 0 ? page.size() : close) - at - 4);
        qsizetype rest = 0;
        const Marker marker = markerIn(body, rest);
        if (marker == Marker::None) {
            if (close < 0)
                break;
            at = close + 2;
            continue;
        }
        if (close < 0)
            return refuse(at, PublishingText::tr("目印のコメントが「-->」で閉じていません。"));
        const qsizetype afterComment = close + 3;
        if (marker == Marker::End) {
            if (!body.sliced(rest).trimmed().isEmpty())
                return refuse(at, PublishingText::tr("<!-- /sitekanri --> には指定を書けません。"));
            if (!open)
                return refuse(at, PublishingText::tr("<!-- /sitekanri --> の前に、対になる <!-- sitekanri --> がありません。"));
            open->to = at;
            open->indent = indentBefore(page, at);
            found.regions.push_back(*open);
            open.reset();
        } else {
            if (open)
                return refuse(at, PublishingText::tr("目印の中に目印があります（%1 行目の <!-- sitekanri --> が閉じる前です）。").arg(open->line));
            const MarkerReading reading = ReadMarkerOptions(encoding.decode(body.sliced(rest)), defaults);
            if (!reading.options)
                return refuse(at, reading.refusal);
            open = MarkedRegion{afterComment, afterComment, lines.lineOf(at), *reading.options, {}};
        }
        at = afterComment - 1;
    }
    if (open)
        return refuseAtLine(open->line, PublishingText::tr("<!-- sitekanri --> が <!-- /sitekanri --> で閉じていません。"));
    return found;
}

bool MayHoldMarkers(const QByteArray &page)
{
    // A comment that starts with the word: "<!--", blanks, perhaps the end marker's slash.
    for (qsizetype at = page.indexOf(kStartWord); at >= 0; at = page.indexOf(kStartWord, at + 1)) {
        qsizetype before = at;
        if (before > 0 && page[before - 1] == '/')
            --before;
        while (before > 0 && isBlank(page[before - 1]))
            --before;
        if (before >= 4 && startsWithNoCase(page, before - 4, "<!--"))
            return true;
    }
    return false;
}

QByteArray LineEndOf(const QByteArray &page)
{
    const qsizetype at = page.indexOf('\n');
    const qsizetype cr = page.indexOf('\r');
    if (at < 0 && cr < 0)
        return "\r\n";
    if (at < 0 || (cr >= 0 && cr < at - 1))
        return "\r"; // lone CRs, as old Mac pages have them
    return at > 0 && page[at - 1] == '\r' ? QByteArray("\r\n") : QByteArray("\n");
}

std::pair<qsizetype, qsizetype> TitleTextOf(const QByteArray &page)
{
    for (qsizetype at = page.indexOf('<'); at >= 0; at = page.indexOf('<', at + 1)) {
        if (startsWithNoCase(page, at, "<!--")) {
            const qsizetype close = page.indexOf("-->", at + 4);
            if (close < 0)
                break;
            at = close + 2;
            continue;
        }
        if (!startsWithNoCase(page, at, "<title") || rawTextElementAt(page, at) == 0)
            continue;
        const qsizetype open = page.indexOf('>', at);
        if (open < 0)
            break;
        qsizetype end = open;
        while ((end = page.indexOf("</", end + 1)) >= 0 && !startsWithNoCase(page, end, "</title")) {
        }
        if (end < 0)
            break;
        return {open + 1, end};
    }
    return {-1, -1};
}
