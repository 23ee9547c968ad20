#include "KeywordList.h"
#include "SiteList.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(BuildKeywordList, allKeywordsThenFirstAppearanceOrderByExactBytes)
{
    const struct
    {
        const char *name;
        std::vector<std::array<const char *, 3>> keywordsPerSite;
        std::vector<const char *> expected; // after "全てのキーワード"
    } cases[] = {
        {"empty register", {}, {}},
        {"blank entry where the first empty field is", {{"x", "y", ""}, {"y", "z", "x"}}, {"x", "y", "", "z"}},
        {"blank entry late", {{"a", "b", "c"}, {"d", "", ""}, {"", "e", ""}}, {"a", "b", "c", "d", "", "e"}},
        {"stored all-keywords text adds nothing", {{"全てのキーワード", "東京", "全てのキーワード"}}, {"東京"}},
        {"exact comparison",
         {{"abc", "ABC", "ａｂｃ"}, {" abc", "abc ", "abc"}, {"ｷｰﾜｰﾄﾞ", "キーワード", "ｷｰﾜｰﾄﾞ"}},
         {"abc", "ABC", "ａｂｃ", " abc", "abc ", "ｷｰﾜｰﾄﾞ", "キーワード"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SiteList sites;
        for (const auto &k : c.keywordsPerSite)
            sites.push_back(MakeRecord("n", "u", k[0], k[1], k[2], "c"));
        KeywordList expected{Sjis("全てのキーワード")};
        for (const char *keyword : c.expected)
            expected.push_back(Sjis(keyword));
        EXPECT_EQ(BuildKeywordList(sites), expected);
    }
}

} // namespace
