#pragma once

#include "SiteList.h"

#include <initializer_list>

// A register in memory written out in place, in the order given.
inline SiteList Sites(std::initializer_list<SiteRecord> records)
{
    SiteList sites;
    for (const SiteRecord &record : records)
        sites.push_back(record);
    return sites;
}
