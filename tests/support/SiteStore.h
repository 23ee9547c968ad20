#pragma once

#include "IoResult.h"
#include "SiteList.h"

// For tests: the register in the register directory (AppDirectory), loaded whole as the program
// loads it, to compare with what a window or a process holds. The program itself keeps the
// register in SiteRegister (the window) and RegisterFiles (every write, as it is made).
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
