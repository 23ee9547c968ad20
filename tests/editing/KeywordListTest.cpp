#include "CaseName.h"
#include "CodePage.h"
#include "KeywordList.h"
#include "SiteList.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

#include <ostream>

#include <array>

namespace {

struct KeywordCase
{
    const char *name;
    std::vector<std::array<const char *, 3>> keywordsPerSite;
    std::vector<const char *> expected; // after "全てのキーワード"
};
void PrintTo(const KeywordCase &c, std::ostream *out) { *out << c.name; }

class BuildKeywordListTest : public ::testing::TestWithParam<KeywordCase>
{
};

TEST_P(BuildKeywordListTest, firstAppearanceOrder)
{
    const KeywordCase &c = GetParam();
    SiteList sites;
    for (const auto &k : c.keywordsPerSite)
        sites.push_back(MakeRecord("n", "u", k[0], k[1], k[2], "c"));
    KeywordList expected{Sjis("全てのキーワード")};
    for (const char *keyword : c.expected)
        expected.push_back(Sjis(keyword));
    EXPECT_EQ(BuildKeywordList(sites), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildKeywordListTest,
    ::testing::Values(
        KeywordCase{"empty register", {}, {}},
        KeywordCase{"blank entry where the first empty field is",
                    {{"x", "y", ""}, {"y", "z", "x"}},
                    {"x", "y", "", "z"}},
        KeywordCase{"blank entry late", {{"a", "b", "c"}, {"d", "", ""}, {"", "e", ""}}, {"a", "b", "c", "d", "", "e"}},
        KeywordCase{"stored all-keywords text adds nothing", {{"全てのキーワード", "東京", "全てのキーワード"}}, {"東京"}},
        KeywordCase{"exact comparison",
                    {{"abc", "ABC", "ａｂｃ"}, {" abc", "abc ", "abc"}, {"ｷｰﾜｰﾄﾞ", "キーワード", "ｷｰﾜｰﾄﾞ"}},
                    {"abc", "ABC", "ａｂｃ", " abc", "abc ", "ｷｰﾜｰﾄﾞ", "キーワード"}}),
    CaseName());

TEST(KeywordList, allKeywordsConstant_isTheCodePageText)
{
    EXPECT_EQ(kAllKeywords, CodePage::fromKnownText(QString::fromUtf8("全てのキーワード")));
}

} // namespace
