// sitekanri-cli keywords and links, run as the real program over a register that sitekanri-cli
// add has written.
#include "CaseName.h"
#include "CliProcess.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

// Three sites: markup and quotes in the fields, keyword fields left empty in the first two.
class CliLinks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        add({"--name", "A&B <サイト>", "--url", "http://a.jp/?q=\"1\"", "--keyword1", "東京", "--keyword2", "趣味",
             "--content", "説明A"});
        add({"--name", "日記", "--url", "http://d.jp/", "--keyword1", "趣味", "--keyword3", "写真"});
        add({"--name", "C", "--url", "http://c.jp/", "--keyword1", "東京", "--keyword2", "写真", "--keyword3", "趣味",
             "--content", "<b>C</b>"});
    }

    void add(std::vector<const char *> arguments)
    {
        arguments.insert(arguments.begin(), "add");
        const CliRun run = runCli(m_register.path(), arguments);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }

    TempRegister m_register;
};

TEST_F(CliLinks, keywords_firstAppearanceWithBlankLine)
{
    const char *const expected = "全てのキーワード\n東京\n趣味\n\n写真\n";
    const CliRun run = runCli(m_register.path(), {"keywords"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QByteArray(expected));
    EXPECT_EQ(runCli(m_register.path(), {"--encoding", "cp932", "keywords"}).out, Sjis(expected));
}

struct LinksCase
{
    const char *name;
    std::vector<const char *> arguments;
    const char *expected; // UTF-8 source
    bool cp932 = false;   // asked for in the register's code page
};
void PrintTo(const LinksCase &c, std::ostream *out) { *out << c.name; }

class CliLinksOutput : public CliLinks, public ::testing::WithParamInterface<LinksCase>
{
};

TEST_P(CliLinksOutput, printsGeneratedCode)
{
    std::vector<const char *> arguments{"links"};
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    const CliRun run = runCli(m_register.path(), arguments);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, GetParam().cp932 ? Sjis(GetParam().expected) : QByteArray(GetParam().expected));
}

const char *const kAllByName = "<A href=\"http://a.jp/?q=\"1\"\">A&B <サイト></A><BR>\r\n"
                               "<A href=\"http://d.jp/\">日記</A><BR>\r\n"
                               "<A href=\"http://c.jp/\">C</A><BR>\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, CliLinksOutput,
    ::testing::Values(
        LinksCase{"defaults", {}, kAllByName},
        LinksCase{"all keywords named", {"--keyword", "全てのキーワード", "--mode", "name"}, kAllByName},
        LinksCase{"content",
                  {"--mode", "content"},
                  "<A href=\"http://a.jp/?q=\"1\"\">説明A</A><BR>\r\n"
                  "<A href=\"http://d.jp/\"></A><BR>\r\n"
                  "<A href=\"http://c.jp/\"><b>C</b></A><BR>\r\n"},
        LinksCase{"name and content",
                  {"--mode", "name-and-content"},
                  "<A href=\"http://a.jp/?q=\"1\"\">A&B <サイト></A>\r\n説明A<BR>\r\n"
                  "<A href=\"http://d.jp/\">日記</A>\r\n<BR>\r\n"
                  "<A href=\"http://c.jp/\">C</A>\r\n<b>C</b><BR>\r\n"},
        LinksCase{"keyword",
                  {"--keyword", "写真"},
                  "<A href=\"http://d.jp/\">日記</A><BR>\r\n"
                  "<A href=\"http://c.jp/\">C</A><BR>\r\n"},
        LinksCase{"blank keyword takes sites with an empty keyword",
                  {"--keyword", ""},
                  "<A href=\"http://a.jp/?q=\"1\"\">A&B <サイト></A><BR>\r\n"
                  "<A href=\"http://d.jp/\">日記</A><BR>\r\n"},
        LinksCase{"keyword nobody carries", {"--keyword", "大阪", "--mode", "content"}, ""},
        LinksCase{"register code page",
                  {"--encoding", "cp932", "--keyword", "東京"},
                  "<A href=\"http://a.jp/?q=\"1\"\">A&B <サイト></A><BR>\r\n"
                  "<A href=\"http://c.jp/\">C</A><BR>\r\n",
                  true}),
    CaseName());

struct FailureCase
{
    const char *name;
    std::vector<const char *> arguments;
    int exitCode;
};
void PrintTo(const FailureCase &c, std::ostream *out) { *out << c.name; }

class CliLinksFailure : public CliLinks, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(CliLinksFailure, reportedOnStderrNothingOnStdout)
{
    const CliRun run = runCli(m_register.path(), GetParam().arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.startsWith("sitekanri-cli: ")) << run.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, CliLinksFailure,
                         ::testing::Values(FailureCase{"unknown mode", {"links", "--mode", "html"}, 2},
                                           FailureCase{"keyword the register cannot hold", {"links", "--keyword", "😀"}, 1}),
                         CaseName());

} // namespace
