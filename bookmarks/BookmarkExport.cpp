#include "BookmarkExport.h"

#include "BookmarkDates.h"
#include "CodePage.h"
#include "SiteTexts.h"
#include "HtmlText.h"
#include "ShownText.h"
#include "SiteList.h"

#include <QHash>
#include <QList>

#include <vector>

namespace {

// What is gathered before it is handed on.
constexpr qsizetype kPieceBytes = 1024 * 1024;

// A keyword as the list shows it: keywords are no HTML, so only the characters the code page lacks
// are read ("caf&#233;" is the tag "café"); importing the file stores the same bytes again.
QString keywordText(const QByteArray &bytes)
{
    return CodePage::toTypedText(bytes);
}

void appendTags(QByteArray &out, const SiteRecord &record)
{
    QList<QByteArray> keywords{record.GetKeyword1(), record.GetKeyword2(), record.GetKeyword3()};
    // Trailing empty keywords are no tags; an empty one before a filled one keeps its place.
    while (!keywords.isEmpty() && keywords.last().isEmpty())
        keywords.removeLast();
    if (keywords.isEmpty())
        return;
    out.append(" TAGS=\"");
    for (qsizetype i = 0; i < keywords.size(); ++i) {
        if (i > 0)
            out.append(',');
        QByteArray tag;
        HtmlText::appendEscaped(tag, keywordText(keywords[i]));
        out.append(tag.replace(',', "&#44;"));
    }
    out.append('"');
}

void appendLink(QByteArray &out, const SiteRecord &record, const char *indent)
{
    out.append(indent).append("<DT><A HREF=\"");
    HtmlText::appendEscaped(out, CodePage::toText(record.GetUrl()));
    out.append('"');
    // Only the times the register knows: a 0 would read as 1970 to a browser.
    if (record.GetAdded() != 0)
        out.append(" ADD_DATE=\"").append(BookmarkTimeText(record.GetAdded())).append('"');
    if (record.GetChanged() != 0)
        out.append(" LAST_MODIFIED=\"").append(BookmarkTimeText(record.GetChanged())).append('"');
    appendTags(out, record);
    out.append('>');
    HtmlText::appendEscaped(out, ShownText(record, kNameText));
    out.append("</A>\n");
    if (!record.GetContent().isEmpty()) {
        out.append(indent).append("<DD>");
        HtmlText::appendEscaped(out, ShownText(record, kContentText));
        out.append('\n');
    }
}

} // namespace

bool WriteBookmarks(const SiteList &sites, const std::function<bool(const QByteArray &piece)> &write)
{
    // One folder per first keyword, in the order the keywords first appear; the sites without
    // one at the top. Within a folder, register order.
    std::vector<const SiteRecord *> loose;
    std::vector<QByteArray> folders;
    QHash<QByteArray, std::vector<const SiteRecord *>> inFolder;
    for (const SiteRecord &record : sites) {
        if (record.GetKeyword1().isEmpty()) {
            loose.push_back(&record);
            continue;
        }
        auto &members = inFolder[record.GetKeyword1()];
        if (members.empty())
            folders.push_back(record.GetKeyword1());
        members.push_back(&record);
    }
    // Handed on a piece at a time: the whole file at once was as much memory again as the
    // register (a register of long names escaped once more, more than that).
    QByteArray out;
    const auto flushed = [&] {
        if (out.size() < kPieceBytes)
            return true;
        const bool ok = write(out);
        out.resize(0); // keeps its capacity for the next piece
        return ok;
    };
    out.append("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
               "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
               "<TITLE>Bookmarks</TITLE>\n"
               "<H1>Bookmarks</H1>\n"
               "<DL><p>\n");
    for (const QByteArray &folder : folders) {
        out.append("    <DT><H3>");
        HtmlText::appendEscaped(out, keywordText(folder));
        out.append("</H3>\n    <DL><p>\n");
        for (const SiteRecord *record : inFolder.value(folder)) {
            appendLink(out, *record, "        ");
            if (!flushed())
                return false;
        }
        out.append("    </DL><p>\n");
    }
    for (const SiteRecord *record : loose) {
        appendLink(out, *record, "    ");
        if (!flushed())
            return false;
    }
    out.append("</DL><p>\n");
    return write(out);
}

QByteArray ExportBookmarks(const SiteList &sites)
{
    QByteArray file;
    file.reserve(qsizetype(sites.size()) * 160 + 256);
    WriteBookmarks(sites, [&file](const QByteArray &piece) {
        file += piece;
        return true;
    });
    return file;
}
