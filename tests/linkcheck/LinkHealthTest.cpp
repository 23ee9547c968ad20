// The list's mark for a link: which answers count as dead, and what the tooltip tells.
#include "LinkHealth.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(LinkHealthTest, markTellsHealthStatusCodeMoveAndLocalTimeOfTheCheck)
{
    const std::tuple<LinkStatus, int, const char *, LinkVerdict, const char *> rows[] = {
        {LinkStatus::Gone, 404, "", LinkVerdict::Dead, "リンク切れ（404）\n2026-12-07 10:00 に確認"},
        {LinkStatus::NoHost, 0, "", LinkVerdict::Dead, "ホストなし\n2026-12-07 10:00 に確認"},
        // Answers that may pass by the next check are not dead.
        {LinkStatus::Timeout, 0, "", LinkVerdict::Warning, "タイムアウト\n2026-12-07 10:00 に確認"},
        {LinkStatus::Forbidden, 403, "", LinkVerdict::Warning, "アクセス拒否（403）\n2026-12-07 10:00 に確認"},
        {LinkStatus::Moved, 200, "https://a/", LinkVerdict::Moved, "移転（200）\n移転先: https://a/\n2026-12-07 10:00 に確認"},
    };
    // 01:00 UTC is 10:00 in Japan.
    const QDateTime checkedAt(QDate(2026, 12, 7), QTime(1, 0, 30), QTimeZone::utc());
    for (const auto &[status, code, movedTo, verdict, toolTip] : rows) {
        CheckedLink checked{{status, code, QString(), QString::fromUtf8(movedTo), QString()}, checkedAt};
        const LinkHealthMark mark = LinkHealthMarkOf(&checked, QTimeZone(9 * 3600));
        EXPECT_EQ(mark.verdict, verdict) << toolTip;
        EXPECT_EQ(mark.toolTip, QString::fromUtf8(toolTip));
    }
}

// A message says each thing once, and a move names where it leads rather than the code found there.
TEST(LinkHealthTest, messageSaysEachThingOnce)
{
    const std::tuple<LinkStatus, int, const char *, const char *> rows[] = {
        {LinkStatus::Moved, 200, "https://new.example/", "リンク先は移転しました: https://new.example/"},
        {LinkStatus::Refused, 0, "接続を拒否されました", "接続を拒否されました"},
        {LinkStatus::Forbidden, 403, "", "リンク先のサーバーが確認を拒みました（HTTP 403）"},
        {LinkStatus::Gone, 404, "", "リンク先のページがありません（HTTP 404）"},
    };
    for (const auto &[status, code, detail, message] : rows)
        EXPECT_EQ(LinkMessage(status, code, QString::fromUtf8(detail)), QString::fromUtf8(message));
}

} // namespace
