#include "RegistrationEdges.h"
#include "RegistrationOperations.h"
#include "TempRegister.h"
#include "TestSites.h"

#include <gtest/gtest.h>

namespace {

// Stands in for the window: fields and current row as the case sets them, the answer given to
// every question, and a record of what was shown and how often the list was refilled.
struct FakeEdges : RegistrationEdges
{
    SiteFields ReadSiteFields() const override { return fields; }
    int GetSelectedSiteRow() const override { return row; }
    void ShowMessage(const QString &text) override { messages << text; }
    bool AskYesNo(const QString &question) override { questions << question; return answerYes; }
    void FillSiteList() override { ++fills; }
    void SetFieldText(SiteFieldId, const QString &) override {}
    void FocusField(SiteFieldId field) override { focused.push_back(field); }

    SiteFields fields;
    std::vector<SiteFieldId> focused;
    int row = -1;
    bool answerYes = true;
    QStringList messages, questions;
    int fills = 0;
};

SiteFields Fields(const char *name, const char *url, const char *keyword1 = "", const char *keyword2 = "",
                  const char *keyword3 = "", const char *content = "")
{
    return {QString::fromUtf8(name),     QString::fromUtf8(url),      QString::fromUtf8(keyword1),
            QString::fromUtf8(keyword2), QString::fromUtf8(keyword3), QString::fromUtf8(content)};
}

QStringList Texts(const char *utf8) { return utf8 ? QStringList{QString::fromUtf8(utf8)} : QStringList(); }

const SiteRecord kA = MakeRecord("サイトA", "http://a.jp/", "東京", "", "", "説明A");
const SiteRecord kB = MakeRecord("サイトB", "http://b.jp/", "大阪");
const SiteRecord kC = MakeRecord("サイトC", "http://c.jp/", "", "", "ﾆｭｰｽ", "説明C");
const SiteRecord kNew = MakeRecord("日記", "http://d/?a=1&b=2", "趣味", "ｼｮｯﾌﾟ", "写真", "毎日の記録");
const SiteFields kNewFields = Fields("日記", "http://d/?a=1&b=2", "趣味", "ｼｮｯﾌﾟ", "写真", "毎日の記録");
const char *const kNoName = "『サイト / リンク 名』を入力してください。";
const char *const kNoUrl = "『URL』を入力してください。";
constexpr SiteFieldId kName = SiteFieldId::Name;
const char *const kAskB = "サイトBを変更しても宜しいですか？";
const char *const kDeleteB = "サイトBを削除しても宜しいですか？";

// Pasted text can bring a line break or a NUL into a field.
SiteFields WithPasted(SiteFields fields, QString SiteFields::*field, QChar pasted)
{
    (fields.*field).insert(1, pasted);
    return fields;
}

enum class Op { Register, Update, Delete };

// Every operation on the register {A, B, C} unless the case brings its own: the list afterwards,
// the one message or question shown, one refill exactly when the list changed, and the field the
// user is sent to after a refusal, which names that field and what is wrong with it.
TEST(RegistrationOperations, table)
{
    const SiteList abc = Sites({kA, kB, kC});
    const struct
    {
        const char *name;
        Op op;
        SiteFields fields;
        int row;
        bool yes;
        SiteList after;
        const char *message, *question;
        SiteList before = {};
        std::vector<SiteFieldId> focused = {};
    } cases[] = {
        {"both empty: the name first", Op::Register, Fields("", ""), -1, true, abc, kNoName, nullptr, {}, {kName}},
        {"name of blanks", Op::Register, Fields(" \t　", "http://x/"), -1, true, abc, kNoName, nullptr, {}, {kName}},
        {"empty name before a bad URL", Op::Register, Fields("", "http://😀/"), -1, true, abc, kNoName, nullptr, {}, {kName}},
        {"URL of blanks", Op::Register, Fields("名", "  "), -1, true, abc, kNoUrl, nullptr, {}, {SiteFieldId::Url}},
        {"update checks the name too", Op::Update, Fields("", ""), 1, true, abc, kNoName, nullptr, {}, {kName}},
        {"emoji named", Op::Register, Fields("名", "u", "", "😀"), -1, true, abc,
         "『キーワード』に保存できない文字が含まれています：😀（U+1F600）", nullptr, {}, {SiteFieldId::Keyword2}},
        {"update refuses before asking, naming the first character", Op::Update, Fields("名", "u", "", "", "", "café ☕"),
         1, true, abc, "『内容』に保存できない文字が含まれています：é（U+00E9）", nullptr, {}, {SiteFieldId::Content}},
        {"lone CR", Op::Register, WithPasted(kNewFields, &SiteFields::name, QLatin1Char('\r')), -1, true, abc,
         "『サイト / リンク 名』に改行は入力できません。", nullptr, {}, {kName}},
        {"NUL named by its number", Op::Update, WithPasted(kNewFields, &SiteFields::content, QChar(0)), 1, true, abc,
         "『内容』に保存できない文字が含まれています：U+0000", nullptr, {}, {SiteFieldId::Content}},
        {"blanks around a name are kept", Op::Register, Fields(" 名前　", "http://x/"), 1, true,
         Sites({kA, kB, kC, MakeRecord(" 名前　", "http://x/")}), nullptr, nullptr},
        {"URL completed as the address bar completes it", Op::Register, Fields("近所", " 例え.jp/日記?q=1"), -1, true,
         Sites({kA, kB, kC, MakeRecord("近所", "http://例え.jp/日記?q=1")}), nullptr, nullptr},
        {"URL written out in full kept as written", Op::Register, Fields("名前", " HTTPS://Example.jp"), -1, true,
         Sites({kA, kB, kC, MakeRecord("名前", " HTTPS://Example.jp")}), nullptr, nullptr},
        {"all six fields", Op::Register, kNewFields, -1, true, Sites({kA, kB, kC, kNew}), nullptr, nullptr},
        {"same site twice", Op::Register, kNewFields, -1, true, Sites({kNew, kNew}), nullptr, nullptr, Sites({kNew})},
        {"update asks with the stored name, keeps the place", Op::Update, kNewFields, 1, true, Sites({kA, kNew, kC}),
         nullptr, kAskB},
        {"update answered No", Op::Update, kNewFields, 1, false, abc, nullptr, kAskB},
        {"update without current row", Op::Update, kNewFields, -1, true, abc, nullptr, nullptr},
        {"update past the end", Op::Update, kNewFields, 3, true, abc, nullptr, nullptr},
        {"delete middle", Op::Delete, kNewFields, 1, true, Sites({kA, kC}), nullptr, kDeleteB},
        {"delete first", Op::Delete, {}, 0, true, Sites({kB, kC}), nullptr, "サイトAを削除しても宜しいですか？"},
        {"delete last", Op::Delete, {}, 2, true, Sites({kA, kB}), nullptr, "サイトCを削除しても宜しいですか？"},
        {"delete only", Op::Delete, {}, 0, true, Sites({}), nullptr, "サイトAを削除しても宜しいですか？", Sites({kA})},
        {"delete one of equal twins", Op::Delete, {}, 1, true, Sites({kB, kA}), nullptr,
         "サイトBを削除しても宜しいですか？", Sites({kB, kB, kA})},
        {"stored name taken literally", Op::Delete, {}, 1, false, Sites({kA, MakeRecord("100%1 サイト", "u")}),
         nullptr, "100%1 サイトを削除しても宜しいですか？", Sites({kA, MakeRecord("100%1 サイト", "u")})},
        {"delete answered No", Op::Delete, {}, 1, false, abc, nullptr, kDeleteB},
        {"delete without current row", Op::Delete, {}, -1, true, abc, nullptr, nullptr},
        {"delete past the end", Op::Delete, {}, 3, true, abc, nullptr, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SiteList sites = c.before.size() ? c.before : abc;
        const bool changes = !(sites == c.after);
        FakeEdges edges;
        edges.fields = c.fields;
        edges.row = c.row;
        edges.answerYes = c.yes;
        RegistrationOperations operations(sites, edges);
        c.op == Op::Register ? operations.RegisterNewSite()
                             : c.op == Op::Update ? operations.UpdateSite() : operations.DeleteSite();
        EXPECT_EQ(sites, c.after);
        EXPECT_EQ(edges.messages, Texts(c.message));
        EXPECT_EQ(edges.questions, Texts(c.question));
        EXPECT_EQ(edges.fills, changes ? 1 : 0);
        EXPECT_EQ(edges.focused, c.focused);
    }
}

} // namespace
