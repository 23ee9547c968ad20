#include "CaseName.h"
#include "KeywordList.h"
#include "LinkCode.h"
#include "SiteList.h"
#include "TempRegister.h"
#include "TestSites.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

// Markup in the fields goes into the page as the user wrote it.
const SiteRecord kMarkup = MakeRecord("<b>A&amp;B</b>", "http://a.jp/?x=\"1\"&y=2", "html", "", "", "説明 <i>&</i> \"q\"");
const SiteRecord kPlain = MakeRecord("日記", "http://d.jp/", "趣味", "", "", "");

struct ModeCase
{
    const char *name;
    LinkCodeMode mode;
    const char *expected; // UTF-8 source of the CP932 output
};
void PrintTo(const ModeCase &c, std::ostream *out) { *out << c.name; }

class LinkCodeModeTest : public ::testing::TestWithParam<ModeCase>
{
};

TEST_P(LinkCodeModeTest, exactBytes)
{
    const ModeCase &c = GetParam();
    EXPECT_EQ(BuildLinkCode(Sites({kMarkup, kPlain}), kAllKeywords, c.mode), Sjis(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, LinkCodeModeTest,
    ::testing::Values(
        ModeCase{"name", LinkCodeMode::Name,
                 "<A href=\"http://a.jp/?x=\"1\"&y=2\"><b>A&amp;B</b></A><BR>\r\n"
                 "<A href=\"http://d.jp/\">日記</A><BR>\r\n"},
        ModeCase{"content", LinkCodeMode::Content,
                 "<A href=\"http://a.jp/?x=\"1\"&y=2\">説明 <i>&</i> \"q\"</A><BR>\r\n"
                 "<A href=\"http://d.jp/\"></A><BR>\r\n"},
        ModeCase{"name and content", LinkCodeMode::NameAndContent,
                 "<A href=\"http://a.jp/?x=\"1\"&y=2\"><b>A&amp;B</b></A>\r\n"
                 "説明 <i>&</i> \"q\"<BR>\r\n"
                 "<A href=\"http://d.jp/\">日記</A>\r\n"
                 "<BR>\r\n"}),
    CaseName());

struct FilterCase
{
    const char *name;
    QByteArray filter;
    std::vector<const char *> takenNames;
};
void PrintTo(const FilterCase &c, std::ostream *out) { *out << c.name; }

class LinkCodeFilterTest : public ::testing::TestWithParam<FilterCase>
{
};

TEST_P(LinkCodeFilterTest, takesMatchingSitesOnceInOrder)
{
    const FilterCase &c = GetParam();
    const SiteList sites = Sites({
        MakeRecord("s0", "u0", "x", "y", "z"),
        MakeRecord("s1", "u1", "", "x", "x"),
        MakeRecord("s2", "u2", "X", " x", "x "),
        MakeRecord("s3", "u3", "y", "", ""),
        MakeRecord("s4", "u4", "全てのキーワード", "z", "y"),
    });
    QByteArray expected;
    for (const char *name : c.takenNames)
        expected += "<A href=\"u" + QByteArray(name + 1) + "\">" + name + "</A><BR>\r\n";
    EXPECT_EQ(BuildLinkCode(sites, c.filter, LinkCodeMode::Name), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, LinkCodeFilterTest,
    ::testing::Values(FilterCase{"all keywords takes every site", kAllKeywords, {"s0", "s1", "s2", "s3", "s4"}},
                      FilterCase{"keyword on two fields written once", "x", {"s0", "s1"}},
                      FilterCase{"third keyword", "z", {"s0", "s4"}},
                      FilterCase{"blank filter takes sites with an empty keyword", "", {"s1", "s3"}},
                      FilterCase{"no partial, case or blank match", "x ", {"s2"}},
                      FilterCase{"keyword nobody carries", "w", {}}),
    CaseName());

TEST(LinkCode, emptyRegister_emptyTextInEveryMode)
{
    for (LinkCodeMode mode : {LinkCodeMode::Name, LinkCodeMode::Content, LinkCodeMode::NameAndContent})
        EXPECT_TRUE(BuildLinkCode(SiteList(), kAllKeywords, mode).isEmpty());
}

} // namespace
