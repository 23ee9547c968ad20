#include "LiveKeywordList.h"

#include "SiteRegister.h"

#include <algorithm>

namespace {

std::array<QByteArray, 3> keywordsOf(const SiteRecord &record)
{
    return {record.GetKeyword1(), record.GetKeyword2(), record.GetKeyword3()};
}

} // namespace

LiveKeywordList::LiveKeywordList(const SiteRegister &siteRegister, QObject *parent) : QObject(parent), m_register(siteRegister)
{
    rebuild();
    m_told = list();
    const auto positions = [this](int first, int last, bool present) {
        for (int position = first; position <= last; ++position) {
            const std::size_t at = std::size_t(position);
            const Keywords now = keywordsOf(m_register.sites().at(at));
            follow(m_register.sites().number(at), present ? &now : nullptr);
        }
    };
    connect(&siteRegister, &SiteRegister::recordsInserted, this, [positions](int first, int last) { positions(first, last, true); });
    connect(&siteRegister, &SiteRegister::recordsAboutToBeRemoved, this, [positions](int first, int last) { positions(first, last, false); });
    connect(&siteRegister, &SiteRegister::recordChanged, this, [positions](int position) { positions(position, position, true); });
    connect(&siteRegister, &SiteRegister::wasReset, this, [this] {
        rebuild();
        m_moved = true;
    });
    connect(&siteRegister, &SiteRegister::listChanged, this, &LiveKeywordList::settle);
}

KeywordList LiveKeywordList::list() const
{
    KeywordList keywords{kAllKeywords};
    keywords.reserve(m_order.size() + 1);
    for (const auto &[place, keyword] : m_order)
        keywords.push_back(keyword);
    return keywords;
}

void LiveKeywordList::rebuild()
{
    m_held.clear();
    m_places.clear();
    m_order.clear();
    const SiteList &sites = m_register.sites();
    m_held.reserve(qsizetype(sites.size()));
    for (std::size_t i = 0; i < sites.size(); ++i)
        take(sites.number(i), m_held.insert(sites.number(i), keywordsOf(sites.at(i))).value());
}

void LiveKeywordList::follow(int number, const Keywords *now)
{
    const auto held = m_held.constFind(number);
    if (held != m_held.constEnd() && now && *held == *now)
        return; // as it was
    if (held != m_held.constEnd())
        drop(number, *held);
    if (now) {
        m_held.insert(number, *now);
        take(number, *now);
    } else {
        m_held.remove(number);
    }
}

void LiveKeywordList::take(int number, const Keywords &keywords)
{
    for (int field = 0; field < 3; ++field) {
        // The filter of every site is never a keyword of its own.
        if (keywords[std::size_t(field)] == kAllKeywords)
            continue;
        const qint64 place = qint64(number) * 3 + field;
        std::vector<qint64> &places = m_places[keywords[std::size_t(field)]];
        const qint64 first = places.empty() ? -1 : places.front();
        places.insert(std::upper_bound(places.begin(), places.end(), place), place);
        if (places.front() != first) {
            if (first >= 0)
                m_order.erase(first);
            m_order.emplace(place, keywords[std::size_t(field)]);
            m_moved = true;
        }
    }
}

void LiveKeywordList::drop(int number, const Keywords &keywords)
{
    for (int field = 0; field < 3; ++field) {
        const auto found = m_places.find(keywords[std::size_t(field)]);
        if (found == m_places.end())
            continue;
        std::vector<qint64> &places = found.value();
        const qint64 place = qint64(number) * 3 + field;
        const auto at = std::lower_bound(places.begin(), places.end(), place);
        if (at == places.end() || *at != place)
            continue;
        const bool wasFirst = at == places.begin();
        places.erase(at);
        if (!wasFirst)
            continue;
        m_order.erase(place);
        if (places.empty())
            m_places.erase(found);
        else
            m_order.emplace(places.front(), keywords[std::size_t(field)]);
        m_moved = true;
    }
}

void LiveKeywordList::settle()
{
    if (!m_moved)
        return;
    m_moved = false;
    KeywordList now = list();
    if (now == m_told)
        return;
    m_told = std::move(now);
    emit changed();
}
