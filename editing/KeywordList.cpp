#include "KeywordList.h"

#include "SiteList.h"

#include <string_view>
#include <unordered_set>

KeywordList BuildKeywordList(const SiteList &sites)
{
    KeywordList keywords{kAllKeywords};
    // Answers "seen before?" in constant time; the order is the list's. The views point into
    // the sites' own bytes, which outlive this call.
    std::unordered_set<std::string_view> seen;
    seen.reserve(sites.size());
    seen.insert(std::string_view(kAllKeywords.constData(), std::size_t(kAllKeywords.size())));
    auto take = [&](const QByteArray &keyword) {
        if (seen.insert(std::string_view(keyword.constData(), std::size_t(keyword.size()))).second)
            keywords.push_back(keyword);
    };
    for (const SiteRecord &site : sites) {
        take(site.GetKeyword1());
        take(site.GetKeyword2());
        take(site.GetKeyword3());
    }
    return keywords;
}

bool CarriesKeyword(const SiteRecord &site, const QByteArray &keyword)
{
    return site.GetKeyword1() == keyword || site.GetKeyword2() == keyword || site.GetKeyword3() == keyword;
}

bool SiteMatchesKeyword(const SiteRecord &site, const QByteArray &filter)
{
    return filter == kAllKeywords || CarriesKeyword(site, filter);
}
