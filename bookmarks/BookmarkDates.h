#pragma once

#include <QByteArray>

#include <cstdint>

// The times a bookmark file gives as ADD_DATE and LAST_MODIFIED: seconds since 1970-01-01 UTC as
// browsers write them, or milliseconds or microseconds as some services and exporters do. A value
// past the year 3000 in seconds is taken for the finer unit (no bookmark was made then, and a
// microsecond count of today is far past it); anything else a person would not call a time (no
// digits, a sign, zero, too large in every unit) is unknown, 0.
std::int64_t BookmarkSeconds(const QByteArray *attribute);

// A time of the register as a bookmark file writes it: whole seconds.
QByteArray BookmarkTimeText(std::int64_t seconds);
