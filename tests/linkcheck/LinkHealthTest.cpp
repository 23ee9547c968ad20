// The list's mark for a link: which answers count as dead, and what the tooltip tells.
#include "LinkHealth.h"

#include <gtest/gtest.h>

namespace {

TEST(LinkHealthTest, markTellsHealthStatusCodeMoveAndLocalTimeOfTheCheck)
{
    const struct
    {
        LinkStatus status;
        int code;
        const char *movedTo;
        LinkHealth health;
        const char *toolTip;
    } rows[] = {
        {LinkStatus::Gone, 404, "", LinkHealth::Dead, "リンク切れ（404）\n2026-12-07 10:00 に確認"},
        {LinkStatus::NoHost, 0, "", LinkHealth::Dead, "ホストなし\n2026-12-07 10:00 に確認"},
        // Answers that may pass by the next check are not dead.
        {LinkStatus::Timeout, 0, "", LinkHealth::Doubtful, "タイムアウト\n2026-12-07 10:00 に確認"},
        {LinkStatus::Moved, 200, "https://a/", LinkHealth::Moved, "移転（200）\n移転先: https://a/\n2026-12-07 10:00 に確認"},
    };
    // 01:00 UTC is 10:00 in Japan.
    const QDateTime checkedAt(QDate(2026, 12, 7), QTime(1, 0, 30), QTimeZone::utc());
    for (const auto &row : rows) {
        CheckedLink checked{{row.status, row.code, QString(), QString::fromUtf8(row.movedTo), QString()}, checkedAt};
        const LinkHealthMark mark = LinkHealthMarkOf(&checked, QTimeZone(9 * 3600));
        EXPECT_EQ(mark.health, row.health) << row.toolTip;
        EXPECT_EQ(mark.toolTip, QString::fromUtf8(row.toolTip));
    }
}

} // namespace
