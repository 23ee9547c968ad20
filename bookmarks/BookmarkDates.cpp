#include "BookmarkDates.h"

namespace {

// 3000-01-01T00:00:00Z.
constexpr std::int64_t kLastSecond = 32503680000;

} // namespace

std::int64_t BookmarkSeconds(const QByteArray *attribute)
{
    if (!attribute)
        return 0;
    const QByteArray digits = attribute->trimmed();
    // Eighteen digits hold any microsecond count before the year 3000 and never overflow.
    if (digits.isEmpty() || digits.size() > 18)
        return 0;
    std::int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (c - '0');
    }
    for (int finer = 0; value > kLastSecond && finer < 2; ++finer)
        value /= 1000;
    return value > kLastSecond ? 0 : value;
}

QByteArray BookmarkTimeText(std::int64_t seconds)
{
    return QByteArray::number(qlonglong(seconds));
}
