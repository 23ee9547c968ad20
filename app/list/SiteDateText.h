#pragma once

#include <QString>

#include <cstdint>

// A site's date (seconds since 1970-01-01 UTC, 0 for unknown) as a Japanese reader writes it, in
// the computer's own time zone: the day in the list (2026/12/09), the moment in its tooltip
// (2026/12/09 14:05:32). Unknown is blank: the cell says nothing rather than something wrong.
QString ShownDay(std::int64_t seconds);
QString ShownMoment(std::int64_t seconds);
