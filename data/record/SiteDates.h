#pragma once

#include "SiteClock.h"
#include "SiteRecord.h"

// Which dates an edit writes: an edit the user makes is stamped now; an undo or redo puts the
// record back with the dates it had.
enum class EditDates { Now, AsTheyWere };

// A new record (add, import): its own dates where it has any (a bookmark's), else added and
// changed now.
SiteRecord StampedNew(SiteRecord record, std::int64_t now = SiteClockNow());
// What an edit of `before` writes: `edited`'s texts, added as `before` had it and changed now;
// an edit that changes no text leaves `before`'s dates as they were, so that confirming a record
// unchanged dates nothing.
SiteRecord StampedEdit(SiteRecord edited, const SiteRecord &before, std::int64_t now = SiteClockNow());
// The same dates, which operator== (the texts that make a site) does not compare.
bool SameDates(const SiteRecord &a, const SiteRecord &b);
