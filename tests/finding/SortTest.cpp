#include "SearchIndex.h"
#include "SiteList.h"
#include "SiteSort.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

namespace {

TEST(SortedRows, foldedNaturalOrderBlanksLastTiesInRegisterOrder)
{
    const struct
    {
        const char *name;
        std::vector<const char *> texts; // one field, row by row
        std::vector<int> ascending;
        std::vector<int> descending;
    } cases[] = {
        {"numbers by value", {"サイト10", "サイト2", "サイト1", "サイト02a", "サイト009"}, {2, 1, 3, 4, 0}, {0, 4, 3, 1, 2}},
        {"by character codes, whole", {"b", "aあ"}, {1, 0}, {0, 1}},
        {"the fourth character decides", {"zzzb", "zzza", "y"}, {2, 1, 0}, {0, 1, 2}},
        {"the fifth character decides", {"zzzzb", "zzzza", "y"}, {2, 1, 0}, {0, 1, 2}},
        {"kana and width alike, then the next character", {"ｳｴ", "あい", "アウ"}, {1, 2, 0}, {0, 2, 1}},
        {"alike texts keep register order both ways", {"abc", "B", "ＡＢＣ", "ABC"}, {0, 2, 3, 1}, {1, 0, 2, 3}},
        {"blanks last both ways", {"", "b", "", "a"}, {3, 1, 0, 2}, {1, 3, 0, 2}},
        {"a beginning before what goes on", {"abc", "ab", "abcd"}, {1, 0, 2}, {2, 0, 1}},
        {"a number sorts among other characters as a digit", {"a-", "aa", "a10", "a9"}, {0, 3, 2, 1}, {1, 2, 3, 0}},
        {"long shared beginnings", {"https://www.example.jp/b", "https://www.example.jp/a"}, {1, 0}, {0, 1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SiteList sites;
        for (const char *text : c.texts)
            sites.push_back(MakeRecord("", "", "", "", "", text));
        const SearchIndex index(sites);
        EXPECT_EQ(SortedRows(sites, SiteField::Content, Qt::AscendingOrder), c.ascending);
        EXPECT_EQ(SortedRows(sites, SiteField::Content, Qt::DescendingOrder), c.descending);
        EXPECT_EQ(SortedRows(index, SiteField::Content, Qt::AscendingOrder), c.ascending);
        EXPECT_EQ(SortedRows(index, SiteField::Content, Qt::DescendingOrder), c.descending);
    }
}

TEST(CompareFolded, ordersLikeTheSort)
{
    EXPECT_LT(CompareFolded(u"サイト2", u"サイト10"), 0);
    EXPECT_EQ(CompareFolded(u"abc007", u"abc7"), 0);
    EXPECT_GT(CompareFolded(u"b", u"a"), 0);
}

} // namespace
