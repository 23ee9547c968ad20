#include "BookmarkExport.h"

#include "CodePage.h"
#include "HtmlText.h"
#include "SiteList.h"

#include <QList>

namespace {

void appendTags(QByteArray &out, const SiteRecord &record)
{
    QList<QByteArray> keywords{record.m_keyword1, record.m_keyword2, record.m_keyword3};
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
        HtmlText::appendEscaped(tag, CodePage::toText(keywords[i]));
        out.append(tag.replace(',', "&#44;"));
    }
    out.append('"');
}

} // namespace

QByteArray ExportBookmarks(const SiteList &sites)
{
    QByteArray out;
    out.reserve(qsizetype(sites.size()) * 160 + 256);
    out.append("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
               "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
               "<TITLE>Bookmarks</TITLE>\n"
               "<H1>Bookmarks</H1>\n"
               "<DL><p>\n");
    for (const SiteRecord &record : sites) {
        out.append("    <DT><A HREF=\"");
        HtmlText::appendEscaped(out, CodePage::toText(record.m_url));
        out.append('"');
        appendTags(out, record);
        out.append('>');
        HtmlText::appendEscaped(out, CodePage::toText(record.m_name));
        out.append("</A>\n");
        if (!record.m_content.isEmpty()) {
            out.append("    <DD>");
            HtmlText::appendEscaped(out, CodePage::toText(record.m_content));
            out.append('\n');
        }
    }
    out.append("</DL><p>\n");
    return out;
}
