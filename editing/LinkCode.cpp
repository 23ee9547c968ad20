#include "LinkCode.h"

#include "KeywordList.h"
#include "SiteList.h"

namespace {

bool carries(const SiteRecord &site, const QByteArray &keyword)
{
    return site.m_keyword1 == keyword || site.m_keyword2 == keyword || site.m_keyword3 == keyword;
}

void appendEntry(QByteArray &out, const SiteRecord &site, LinkCodeMode mode)
{
    out += "<A href=\"";
    out += site.m_url;
    out += "\">";
    switch (mode) {
    case LinkCodeMode::Name:
        out += site.m_name;
        out += "</A><BR>\r\n";
        break;
    case LinkCodeMode::Content:
        out += site.m_content;
        out += "</A><BR>\r\n";
        break;
    case LinkCodeMode::NameAndContent:
        out += site.m_name;
        out += "</A>\r\n";
        out += site.m_content;
        out += "<BR>\r\n";
        break;
    }
}

} // namespace

QByteArray BuildLinkCode(const SiteList &sites, const QByteArray &filter, LinkCodeMode mode)
{
    const bool everySite = filter == kAllKeywords;
    QByteArray out;
    for (const SiteRecord &site : sites) {
        if (everySite || carries(site, filter))
            appendEntry(out, site, mode);
    }
    return out;
}
