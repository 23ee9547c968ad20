#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "RegistrationEdges.h"
#include "RegistrationOperations.h"
#include "SiteRegister.h"
#include "TempRegister.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Stands in for the window: fields and current row as the case sets them, the answer given to
// every question, and a record of what was shown and which row was made current.
struct FakeEdges : RegistrationEdges
{
    SiteFields ReadSiteFields() const override { return fields; }
    int GetSelectedSiteRow() const override { return row; }
    void ShowMessage(const QString &text) override { messages << text; }
    bool AskYesNo(const QString &question) override { questions << question; return answerYes; }
    void SetFieldText(SiteFieldId, const QString &) override {}
    void FocusField(SiteFieldId field) override { focused.push_back(field); }
    bool SelectSiteRow(int row) override { selected = row; return true; }

    SiteFields fields;
    std::vector<SiteFieldId> focused;
    int row = -1;
    bool answerYes = true;
    QStringList messages, questions;
    int selected = kNoSelection;
    static constexpr int kNoSelection = -2;
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

void Perform(RegistrationOperations operations, Op op)
{
    op == Op::Register ? operations.RegisterNewSite() : op == Op::Update ? operations.UpdateSite() : operations.DeleteSite();
}

using Records = std::vector<SiteRecord>;

// Every operation on the register {A, B, C} unless the case brings its own: the register afterwards,
// on disk and in memory alike, the one message or question shown, the row made current, and the
// field the user is sent to after a refusal, which names that field and what is wrong with it.
TEST(RegistrationOperations, table)
{
    const Records abc = {kA, kB, kC};
    const struct
    {
        const char *name;
        Op op;
        SiteFields fields;
        int row;
        bool yes;
        Records after;
        const char *message, *question;
        Records before = {};
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
         Records({kA, kB, kC, MakeRecord(" 名前　", "http://x/")}), nullptr, nullptr},
        {"URL completed as the address bar completes it", Op::Register, Fields("近所", " 例え.jp/日記?q=1"), -1, true,
         Records({kA, kB, kC, MakeRecord("近所", "http://例え.jp/日記?q=1")}), nullptr, nullptr},
        {"URL written out in full kept as written", Op::Register, Fields("名前", " HTTPS://Example.jp"), -1, true,
         Records({kA, kB, kC, MakeRecord("名前", " HTTPS://Example.jp")}), nullptr, nullptr},
        {"all six fields", Op::Register, kNewFields, -1, true, Records({kA, kB, kC, kNew}), nullptr, nullptr},
        {"same site twice", Op::Register, kNewFields, -1, true, Records({kNew, kNew}), nullptr, nullptr, Records({kNew})},
        {"update asks with the stored name, keeps the place", Op::Update, kNewFields, 1, true, Records({kA, kNew, kC}),
         nullptr, kAskB},
        {"update answered No", Op::Update, kNewFields, 1, false, abc, nullptr, kAskB},
        {"update without current row", Op::Update, kNewFields, -1, true, abc, nullptr, nullptr},
        {"update past the end", Op::Update, kNewFields, 3, true, abc, nullptr, nullptr},
        {"delete middle", Op::Delete, kNewFields, 1, true, Records({kA, kC}), nullptr, kDeleteB},
        {"delete first", Op::Delete, {}, 0, true, Records({kB, kC}), nullptr, "サイトAを削除しても宜しいですか？"},
        {"delete last", Op::Delete, {}, 2, true, Records({kA, kB}), nullptr, "サイトCを削除しても宜しいですか？"},
        {"delete only", Op::Delete, {}, 0, true, Records({}), nullptr, "サイトAを削除しても宜しいですか？", Records({kA})},
        {"delete one of equal twins", Op::Delete, {}, 1, true, Records({kB, kA}), nullptr,
         "サイトBを削除しても宜しいですか？", Records({kB, kB, kA})},
        {"stored name taken literally", Op::Delete, {}, 1, false, Records({kA, MakeRecord("100%1 サイト", "u")}),
         nullptr, "100%1 サイトを削除しても宜しいですか？", Records({kA, MakeRecord("100%1 サイト", "u")})},
        {"delete answered No", Op::Delete, {}, 1, false, abc, nullptr, kDeleteB},
        {"delete without current row", Op::Delete, {}, -1, true, abc, nullptr, nullptr},
        {"delete past the end", Op::Delete, {}, 3, true, abc, nullptr, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempRegister dir;
        const Records before = c.before.size() ? c.before : abc;
        WriteRegister(dir.path(), before);
        SiteRegister reg(QFile::encodeName(dir.path()));
        ASSERT_TRUE(reg.open());
        const Snapshot files = TakeSnapshot(dir.path());
        FakeEdges edges;
        edges.fields = c.fields;
        edges.row = c.row;
        edges.answerYes = c.yes;
        Perform(RegistrationOperations(reg, edges), c.op);
        EXPECT_EQ(Records(reg.sites().begin(), reg.sites().end()), c.after);
        EXPECT_EQ(reg.sites(), ReadRegister(dir.path()));
        EXPECT_EQ(edges.messages, Texts(c.message));
        EXPECT_EQ(edges.questions, Texts(c.question));
        EXPECT_EQ(edges.focused, c.focused);
        const bool changes = before != c.after;
        if (!changes) {
            EXPECT_EQ(TakeSnapshot(dir.path()), files) << "written though nothing changed";
        }
        // The new site, and after a deletion the row that took its place, becomes current.
        const int last = int(c.after.size()) - 1;
        const int selected = !changes || c.op == Op::Update ? FakeEdges::kNoSelection
            : c.op == Op::Register                        ? last
                                                          : std::min(c.row, last);
        EXPECT_EQ(edges.selected, selected);
    }
}

// Whatever keeps an operation from being written leaves every file as it was, keeps the list as
// the disk has it, and says why, naming the file.
TEST(RegistrationOperations, operationsNotWrittenSayWhy)
{
    using Meddle = std::function<void(const TempRegister &)>;
    const Meddle changeB = [](const TempRegister &reg) {
        RegisterFolder folder(QFile::encodeName(reg.path()));
        ASSERT_TRUE(folder.open(false));
        ASSERT_TRUE(RegisterFiles(folder).update(2, kC).done());
    };
    const Meddle removeB = [](const TempRegister &reg) { ASSERT_TRUE(QFile::remove(reg.file(QStringLiteral("data2.ini")))); };
    const Meddle damage = [](const TempRegister &reg) { reg.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=\r\n"); };
    // A folder where the next record's file must go: it cannot be replaced by a file.
    const Meddle block = [](const TempRegister &reg) { ASSERT_TRUE(QDir(reg.path()).mkdir(QStringLiteral("data4.ini"))); };
    const char *const changed = "このサイトは他のプログラムで変更されていました。一覧を更新しました。";
    const char *const removed = "このサイトは他のプログラムで削除されていました。一覧を更新しました。";
    const char *const kDamaged = "登録件数のファイルが壊れているため";
    const struct
    {
        const char *name;
        Meddle meddle;
        Op op;
        const char *message;     // the start of it
        const char *namesFile;   // a file the message names, if any
        bool asks;
    } cases[] = {
        {"update of a site changed elsewhere", changeB, Op::Update, changed, nullptr, true},
        {"update of a site removed elsewhere", removeB, Op::Update, removed, nullptr, true},
        {"delete of a site changed elsewhere", changeB, Op::Delete, changed, nullptr, true},
        {"delete of a site removed elsewhere", removeB, Op::Delete, removed, nullptr, true},
        {"register into a damaged register", damage, Op::Register, kDamaged, "setting.ini", false},
        {"update in a damaged register, refused before asking", damage, Op::Update, kDamaged, "setting.ini", false},
        {"register where a folder blocks the file", block, Op::Register, "データを保存できませんでした。", "data4.ini", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempRegister dir;
        WriteRegister(dir.path(), {kA, kB, kC});
        // A damaged register is known as such from its load; a change elsewhere comes after it.
        const bool damages = c.message == kDamaged;
        if (damages)
            c.meddle(dir);
        SiteRegister reg(QFile::encodeName(dir.path()));
        ASSERT_TRUE(reg.open());
        if (!damages)
            c.meddle(dir);
        const Snapshot files = TakeSnapshot(dir.path());
        FakeEdges edges;
        edges.fields = kNewFields;
        edges.row = 1;
        Perform(RegistrationOperations(reg, edges), c.op);
        EXPECT_EQ(TakeSnapshot(dir.path()), files);
        ASSERT_EQ(edges.messages.size(), 1);
        EXPECT_TRUE(edges.messages[0].startsWith(QString::fromUtf8(c.message))) << edges.messages[0].toStdString();
        if (c.namesFile) {
            EXPECT_TRUE(edges.messages[0].contains(QString::fromUtf8(c.namesFile))) << edges.messages[0].toStdString();
        }
        EXPECT_EQ(edges.questions.size(), c.asks ? 1 : 0);
        if (!reg.isDamaged()) {
            EXPECT_EQ(reg.sites(), ReadRegister(dir.path()));
        }
    }
}

} // namespace
