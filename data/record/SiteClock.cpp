#include "SiteClock.h"

#include <QDateTime>

#include <atomic>

namespace {

// 0: the system clock.
std::atomic<std::int64_t> g_held{0};

} // namespace

std::int64_t SiteClockNow()
{
    const std::int64_t held = g_held.load();
    return held != 0 ? held : QDateTime::currentSecsSinceEpoch();
}

HeldSiteClock::HeldSiteClock(std::int64_t seconds)
    : m_before(g_held.exchange(seconds))
{
}

HeldSiteClock::~HeldSiteClock()
{
    g_held.store(m_before);
}
