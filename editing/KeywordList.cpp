#include "KeywordList.h"

#include "SiteList.h"

#include <QSet>

KeywordList BuildKeywordList(const SiteList &sites)
{
    KeywordList keywords{kAllKeywords};
    // The set only answers "seen before?"; the order is the list's.
    QSet<QByteArray> seen{kAllKeywords};
    auto take = [&](const QByteArray &keyword) {
        if (!seen.contains(keyword)) {
            seen.insert(keyword);
            keywords.push_back(keyword);
        }
    };
    for (const SiteRecord &site : sites) {
        take(site.m_keyword1);
        take(site.m_keyword2);
        take(site.m_keyword3);
    }
    return keywords;
}
