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
        LinkVerdict verdict;
        const char *toolTip;
    } rows[] = {
        {LinkStatus::Gone, 404, "", LinkVerdict::Dead, "リンク切れ（404）\n2026-12-07 10:00 に確認"},
        {LinkStatus::NoHost, 0, "", LinkVerdict::Dead, "ホストなし\n2026-12-07 10:00 に確認"},
        // Answers that may pass by the next check are not dead.
        {LinkStatus::Timeout, 0, "", LinkVerdict::Warning, "タイムアウト\n2026-12-07 10:00 に確認"},
        {LinkStatus::Forbidden, 403, "", LinkVerdict::Warning, "アクセス拒否（403）\n2026-12-07 10:00 に確認"},
        {LinkStatus::Moved, 200, "https://a/", LinkVerdict::Moved, "移転（200）\n移転先: https://a/\n2026-12-07 10:00 に確認"},
    };
    // 01:00 UTC is 10:00 in Japan.
    const QDateTime checkedAt(QDate(2026, 12, 7), QTime(1, 0, 30), QTimeZone::utc());
    for (const auto &row : rows) {
        CheckedLink checked{{row.status, row.code, QString(), QString::fromUtf8(row.movedTo), QString()}, checkedAt};
        const LinkHealthMark mark = LinkHealthMarkOf(&checked, QTimeZone(9 * 3600));
        EXPECT_EQ(mark.verdict, row.verdict) << row.toolTip;
        EXPECT_EQ(mark.toolTip, QString::fromUtf8(row.toolTip));
    }
}

// A message says each thing once, and a move names where it leads rather than the code found there.
TEST(LinkHealthTest, messageSaysEachThingOnce)
{
    const struct
    {
        LinkStatus status;
        int code;
        const char *detail;
        const char *message;
    } rows[] = {
        {LinkStatus::Moved, 200, "https://new.example/", "リンク先は移転しました: https://new.example/"},
        {LinkStatus::Refused, 0, "接続を拒否されました", "接続を拒否されました"},
        {LinkStatus::Forbidden, 403, "", "リンク先のサーバーが確認を拒みました（HTTP 403）"},
        {LinkStatus::Gone, 404, "", "リンク先のページがありません（HTTP 404）"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(LinkMessage(row.status, row.code, QString::fromUtf8(row.detail)), QString::fromUtf8(row.message));
}

} // namespace
