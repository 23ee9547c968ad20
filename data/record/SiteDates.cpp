#include "SiteDates.h"

#include "SiteTexts.h"

SiteRecord StampedNew(SiteRecord record, std::int64_t now)
{
    if (record.GetAdded() == 0 && record.GetChanged() == 0)
        record.SetDates(now, now);
    return record;
}

SiteRecord StampedEdit(SiteRecord edited, const SiteRecord &before, std::int64_t now)
{
    edited.SetDates(before.GetAdded(), SameTexts(edited, before) ? before.GetChanged() : now);
    return edited;
}

bool SameDates(const SiteRecord &a, const SiteRecord &b)
{
    return a.GetAdded() == b.GetAdded() && a.GetChanged() == b.GetChanged();
}
