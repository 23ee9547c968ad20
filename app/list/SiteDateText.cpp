#include "SiteDateText.h"

#include <QDateTime>

namespace {

QString shown(std::int64_t seconds, const QString &format)
{
    if (seconds == 0)
        return {};
    return QDateTime::fromSecsSinceEpoch(seconds).toLocalTime().toString(format);
}

} // namespace

QString ShownDay(std::int64_t seconds)
{
    return shown(seconds, QStringLiteral("yyyy/MM/dd"));
}

QString ShownMoment(std::int64_t seconds)
{
    return shown(seconds, QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}
