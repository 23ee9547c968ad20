#include "NewSiteMark.h"

#include "SiteRecord.h"

namespace {

constexpr std::int64_t kDaySeconds = 24 * 60 * 60;

} // namespace

bool NewSiteMark::marks(const SiteRecord &site) const
{
    return isOn() && site.GetAdded() != 0 && site.GetAdded() > now - std::int64_t(days) * kDaySeconds;
}
