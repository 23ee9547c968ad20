#include "CaseName.h"
#include "FakeRegistrationEdges.h"
#include "RegistrationOperations.h"
#include "SiteList.h"
#include "TempRegister.h"
#include "TestSites.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

SiteFields Fields(const char *name, const char *url, const char *keyword1 = "", const char *keyword2 = "",
                  const char *keyword3 = "", const char *content = "")
{
    return {QString::fromUtf8(name),     QString::fromUtf8(url),      QString::fromUtf8(keyword1),
            QString::fromUtf8(keyword2), QString::fromUtf8(keyword3), QString::fromUtf8(content)};
}

const SiteRecord kA = MakeRecord("サイトA", "http://a.jp/", "東京", "", "", "説明A");
const SiteRecord kB = MakeRecord("サイトB", "http://b.jp/", "大阪");
const SiteRecord kC = MakeRecord("サイトC", "http://c.jp/", "", "", "ﾆｭｰｽ", "説明C");

struct Fixture
{
    SiteList sites = Sites({kA, kB, kC});
    FakeRegistrationEdges edges;
    RegistrationOperations operations{sites, edges};
};

// --- RegisterNewSite -------------------------------------------------------------------------

struct RegisterCase
{
    const char *name;
    SiteFields fields;
    const char *message; // nullptr: accepted
    SiteRecord added;
};
void PrintTo(const RegisterCase &c, std::ostream *out) { *out << c.name; }

class RegisterNewSiteTest : public ::testing::TestWithParam<RegisterCase>
{
};

TEST_P(RegisterNewSiteTest, checksThenAppends)
{
    const RegisterCase &c = GetParam();
    Fixture f;
    f.edges.fields = c.fields;
    f.operations.RegisterNewSite();
    if (c.message) {
        EXPECT_EQ(f.edges.messages, QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(f.sites, Sites({kA, kB, kC}));
        EXPECT_EQ(f.edges.fills, 0);
    } else {
        EXPECT_TRUE(f.edges.messages.isEmpty()) << f.edges.messages.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(f.sites, Sites({kA, kB, kC, c.added}));
        EXPECT_EQ(f.edges.fills, 1);
    }
    EXPECT_TRUE(f.edges.questions.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegisterNewSiteTest,
    ::testing::Values(
        RegisterCase{"both empty names only the name", Fields("", ""), "『サイト / リンク 名』を入力してください。", {}},
        RegisterCase{"empty name", Fields("", "http://x/"), "『サイト / リンク 名』を入力してください。", {}},
        RegisterCase{"empty URL", Fields("名前", ""), "『URL』を入力してください。", {}},
        RegisterCase{"blanks are not empty", Fields(" ", "　"), nullptr, MakeRecord(" ", "　")},
        RegisterCase{"all six fields", Fields("日記", "http://d/?a=1&b=2", "趣味", "ｼｮｯﾌﾟ", "写真", "毎日の記録"),
                     nullptr, MakeRecord("日記", "http://d/?a=1&b=2", "趣味", "ｼｮｯﾌﾟ", "写真", "毎日の記録")},
        RegisterCase{"character outside the code page", Fields("名前", "http://x/", "", "😀"),
                     "『キーワード』に保存できない文字が含まれています。", {}},
        RegisterCase{"empty name reported before a bad URL", Fields("", "http://😀/"),
                     "『サイト / リンク 名』を入力してください。", {}}),
    CaseName());

TEST(RegisterNewSite, sameSiteTwice_twoRecordsAtConsecutivePositions)
{
    SiteList sites;
    FakeRegistrationEdges edges;
    RegistrationOperations operations(sites, edges);
    edges.fields = Fields("同じ", "http://same/");
    operations.RegisterNewSite();
    operations.RegisterNewSite();
    EXPECT_EQ(sites, Sites({MakeRecord("同じ", "http://same/"), MakeRecord("同じ", "http://same/")}));
    EXPECT_EQ(edges.fills, 2);
}

// --- UpdateSite ------------------------------------------------------------------------------

TEST(UpdateSite, asksWithStoredName_thenReplacesInPlace)
{
    Fixture f;
    f.edges.row = 1;
    f.edges.fields = Fields("新しい名前", "http://new/", "k1", "k2", "k3", "新しい内容");
    f.operations.UpdateSite();
    EXPECT_EQ(f.edges.questions, QStringList{QString::fromUtf8("サイトBを変更しても宜しいですか？")});
    EXPECT_EQ(f.sites, Sites({kA, MakeRecord("新しい名前", "http://new/", "k1", "k2", "k3", "新しい内容"), kC}));
    EXPECT_TRUE(f.edges.messages.isEmpty());
    EXPECT_EQ(f.edges.fills, 1);
}

TEST(UpdateSite, emptyNameAndUrl_storedWithoutMessage)
{
    Fixture f;
    f.edges.row = 0;
    f.edges.fields = Fields("", "");
    f.operations.UpdateSite();
    EXPECT_TRUE(f.edges.messages.isEmpty());
    EXPECT_EQ(f.sites, Sites({MakeRecord("", ""), kB, kC}));
}

TEST(UpdateSite, textOutsideCodePage_refusedBeforeAsking)
{
    Fixture f;
    f.edges.row = 2;
    f.edges.fields = Fields("名前", "http://x/", "", "", "", "café ☕");
    f.operations.UpdateSite();
    EXPECT_EQ(f.edges.messages, QStringList{QString::fromUtf8("『内容』に保存できない文字が含まれています。")});
    EXPECT_TRUE(f.edges.questions.isEmpty());
    EXPECT_EQ(f.sites, Sites({kA, kB, kC}));
    EXPECT_EQ(f.edges.fills, 0);
}

// --- DeleteSite ------------------------------------------------------------------------------

struct DeleteCase
{
    const char *name;
    int row;
    SiteList before;
    SiteList after;
};
void PrintTo(const DeleteCase &c, std::ostream *out) { *out << c.name; }

class DeleteSiteTest : public ::testing::TestWithParam<DeleteCase>
{
};

TEST_P(DeleteSiteTest, removesRowKeepingOrder)
{
    const DeleteCase &c = GetParam();
    SiteList sites = c.before;
    FakeRegistrationEdges edges;
    edges.row = c.row;
    RegistrationOperations(sites, edges).DeleteSite();
    EXPECT_EQ(sites, c.after);
    EXPECT_EQ(edges.fills, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, DeleteSiteTest,
                         ::testing::Values(DeleteCase{"middle", 1, Sites({kA, kB, kC}), Sites({kA, kC})},
                                           DeleteCase{"first", 0, Sites({kA, kB, kC}), Sites({kB, kC})},
                                           DeleteCase{"last", 2, Sites({kA, kB, kC}), Sites({kA, kB})},
                                           DeleteCase{"only", 0, Sites({kA}), Sites({})},
                                           DeleteCase{"one of equal twins", 1, Sites({kA, kA, kB}), Sites({kA, kB})}),
                         CaseName());

TEST(DeleteSite, asksWithStoredNameTakenLiterally)
{
    SiteList sites = Sites({kA, MakeRecord("100%1 サイト", "u")});
    FakeRegistrationEdges edges;
    edges.row = 1;
    edges.answerYes = false;
    RegistrationOperations(sites, edges).DeleteSite();
    EXPECT_EQ(edges.questions, QStringList{QString::fromUtf8("100%1 サイトを削除しても宜しいですか？")});
}

// --- Both confirming operations: when they must leave everything alone -----------------------

enum class Operation { Update, Delete };

struct NoChangeCase
{
    const char *name;
    Operation operation;
    int row;
    bool answerYes;
    int questionsAsked;
};
void PrintTo(const NoChangeCase &c, std::ostream *out) { *out << c.name; }

class NoChangeTest : public ::testing::TestWithParam<NoChangeCase>
{
};

TEST_P(NoChangeTest, listAndFieldsUntouched)
{
    const NoChangeCase &c = GetParam();
    Fixture f;
    f.edges.row = c.row;
    f.edges.answerYes = c.answerYes;
    f.edges.fields = Fields("別の名前", "http://other/");
    if (c.operation == Operation::Update)
        f.operations.UpdateSite();
    else
        f.operations.DeleteSite();
    EXPECT_EQ(f.sites, Sites({kA, kB, kC}));
    EXPECT_EQ(f.edges.questions.size(), c.questionsAsked);
    EXPECT_TRUE(f.edges.messages.isEmpty());
    EXPECT_EQ(f.edges.fills, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoChangeTest,
    ::testing::Values(NoChangeCase{"update answered No", Operation::Update, 1, false, 1},
                      NoChangeCase{"delete answered No", Operation::Delete, 1, false, 1},
                      NoChangeCase{"update without current row", Operation::Update, -1, true, 0},
                      NoChangeCase{"delete without current row", Operation::Delete, -1, true, 0},
                      NoChangeCase{"update on a row past the end", Operation::Update, 3, true, 0},
                      NoChangeCase{"delete on a row past the end", Operation::Delete, 3, true, 0}),
    CaseName());

} // namespace
