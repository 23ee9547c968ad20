#pragma once

#include "IoResult.h"
#include "SiteList.h"

// The register in the register directory, loaded whole: "setting.ini" holds the record count,
// "data<N>.ini" record N. Every change is written by RegisterFiles as it is made.
class SiteStore
{
public:
    SiteStore() = default;
    virtual ~SiteStore() = default;

    // Appends every stored record found within the count, in file-number order, each with its
    // number. A missing register loads nothing; a file that exists but cannot be read fails the load.
    virtual IoResult Load();

    SiteList m_sites;
};
