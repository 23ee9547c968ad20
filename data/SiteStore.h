#pragma once

#include "IoResult.h"
#include "SiteList.h"

// The register on disk: "setting.ini" holds the record count, "data<N>.ini" record N.
class SiteStore
{
public:
    SiteStore() = default;
    virtual ~SiteStore() = default;

    // Writes every record as data1.ini … dataN.ini, then the count into setting.ini. Either
    // every changed file is replaced or, on failure, none is; files that would not change are
    // not rewritten, and data files above the new count are left alone.
    virtual IoResult Save();

    // Appends every stored record found within the count, in file-number order. A missing
    // register loads nothing; a file that exists but cannot be read fails the load.
    virtual IoResult Load();

    SiteList m_sites;
};
