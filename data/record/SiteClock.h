#pragma once

#include <cstdint>

// The time every write of a record stamps on it (added, changed): seconds since 1970-01-01 UTC.
std::int64_t SiteClockNow();

// Holds the clock at a given time while it lives, so that a test can name the moment a write
// happens (nested holds restore the one before).
class HeldSiteClock
{
public:
    explicit HeldSiteClock(std::int64_t seconds);
    ~HeldSiteClock();
    HeldSiteClock(const HeldSiteClock &) = delete;
    HeldSiteClock &operator=(const HeldSiteClock &) = delete;

private:
    std::int64_t m_before;
};
