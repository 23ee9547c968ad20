// The 新着 mark of the link collection: which sites it marks, at the edge of the day, and where.
#include "KeywordList.h"
#include "LinkCode.h"
#include "SiteList.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kNow = 1796817600; // 2026-12-09T12:00:00Z
constexpr std::int64_t kDay = 86400;

SiteRecord dated(const char *name, const char *url, std::int64_t added, const char *content = "")
{
    SiteRecord record = MakeRecord(name, url, "", "", "", content);
    record.SetDates(added, added);
    return record;
}

TEST(NewSiteMark, marksSitesAddedWithinTheDaysToTheSecond)
{
    // A clock of 1970 is a board without a clock battery: its days reach back before the epoch.
    constexpr std::int64_t k1970 = 3 * kDay;
    const struct
    {
        const char *what;
        int days;
        std::int64_t now, added;
        bool marked;
    } rows[] = {
        {"added exactly seven days ago", 7, kNow, kNow - 7 * kDay, false},
        {"a second later", 7, kNow, kNow - 7 * kDay + 1, true},
        {"a second earlier", 7, kNow, kNow - 7 * kDay - 1, false},
        {"added now", 7, kNow, kNow, true},
        {"stamped ahead of this computer's clock", 7, kNow, kNow + 3600, true},
        {"a day's window, exactly a day ago", 1, kNow, kNow - kDay, false},
        {"a day's window, a second short of a day", 1, kNow, kNow - kDay + 1, true},
        {"unknown date, however wide the window", NewSiteMark::kMaxDays, kNow, 0, false},
        {"unknown date, the clock at 1970", 7, k1970, 0, false},
        {"added a day ago, the clock at 1970", 7, k1970, k1970 - kDay, true},
        {"mark off, even for a site stamped ahead", 0, kNow, kNow + 3600, false},
    };
    for (const auto &row : rows) {
        NewSiteMark mark;
        mark.days = row.days;
        mark.now = row.now;
        EXPECT_EQ(mark.marks(dated("a", "u", row.added)), row.marked) << row.what;
    }
}

// The mark follows the link in each mode, the user's HTML as written.
TEST(NewSiteMark, theMarkFollowsTheLinkInEachMode)
{
    SiteList sites;
    sites.push_back(dated("新", "http://n/", kNow - kDay, "説明"));
    sites.push_back(dated("旧", "http://o/", kNow - 30 * kDay));
    NewSiteMark mark;
    mark.days = 7;
    mark.now = kNow;
    mark.html = Sjis("<img src=\"new.gif\" alt=\"新着\">");
    const struct
    {
        LinkCodeMode mode;
        const char *expected;
    } rows[] = {
        {LinkCodeMode::Name, "<A href=\"http://n/\">新</A> <img src=\"new.gif\" alt=\"新着\"><BR>\r\n"
                             "<A href=\"http://o/\">旧</A><BR>\r\n"},
        {LinkCodeMode::Content, "<A href=\"http://n/\">説明</A> <img src=\"new.gif\" alt=\"新着\"><BR>\r\n"
                                "<A href=\"http://o/\">旧</A><BR>\r\n"},
        {LinkCodeMode::NameAndContent, "<A href=\"http://n/\">新</A> <img src=\"new.gif\" alt=\"新着\">\r\n説明<BR>\r\n"
                                       "<A href=\"http://o/\">旧</A>\r\n<BR>\r\n"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(BuildLinkCode(sites, kAllKeywords, row.mode, {}, mark), Sjis(row.expected)) << int(row.mode);
}

} // namespace
