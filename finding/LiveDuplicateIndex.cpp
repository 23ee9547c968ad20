#include "LiveDuplicateIndex.h"

#include "SiteRegister.h"

LiveDuplicateIndex::LiveDuplicateIndex(const SiteRegister &siteRegister, QObject *parent)
    : QObject(parent), m_register(siteRegister), m_index(siteRegister.sites())
{
    connect(&siteRegister, &SiteRegister::recordsInserted, this, &LiveDuplicateIndex::take);
    connect(&siteRegister, &SiteRegister::recordChanged, this, [this](int position) { take(position, position); });
    // Positions are only good before the records go: their numbers are read then.
    connect(&siteRegister, &SiteRegister::recordsAboutToBeRemoved, this, [this](int first, int last) {
        for (int position = first; position <= last; ++position)
            m_index.remove(m_register.sites().number(std::size_t(position)));
    });
    connect(&siteRegister, &SiteRegister::wasReset, this, [this] { m_index = DuplicateIndex(m_register.sites()); });
}

void LiveDuplicateIndex::take(int first, int last)
{
    const SiteList &sites = m_register.sites();
    for (int position = first; position <= last; ++position)
        m_index.set(sites.number(std::size_t(position)), sites.at(std::size_t(position)).GetUrl());
}
