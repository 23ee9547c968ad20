#include "DuplicateIndex.h"

#include "CodePage.h"
#include "SiteIdentity.h"
#include "SiteList.h"

#include <algorithm>

namespace {

QString identityOf(const QByteArray &url)
{
    return SiteIdentity(CodePage::toText(url));
}

} // namespace

DuplicateIndex::DuplicateIndex(const SiteList &sites)
{
    m_siteOf.reserve(qsizetype(sites.size()));
    for (std::size_t i = 0; i < sites.size(); ++i)
        set(sites.number(i), sites.at(i).GetUrl());
}

void DuplicateIndex::set(int number, const QByteArray &url)
{
    remove(number);
    const QString site = identityOf(url);
    if (site.isEmpty())
        return;
    std::vector<int> &numbers = m_numbersBySite[site];
    numbers.insert(std::lower_bound(numbers.begin(), numbers.end(), number), number);
    m_siteOf.insert(number, site);
}

void DuplicateIndex::remove(int number)
{
    const auto known = m_siteOf.constFind(number);
    if (known == m_siteOf.constEnd())
        return;
    const auto bucket = m_numbersBySite.find(*known);
    std::vector<int> &numbers = *bucket;
    numbers.erase(std::lower_bound(numbers.begin(), numbers.end(), number));
    if (numbers.empty())
        m_numbersBySite.erase(bucket);
    m_siteOf.erase(known);
}

int DuplicateIndex::find(const QByteArray &url, int except) const
{
    const auto bucket = m_numbersBySite.constFind(identityOf(url));
    if (bucket == m_numbersBySite.constEnd())
        return 0;
    for (int number : *bucket)
        if (number != except)
            return number;
    return 0;
}
