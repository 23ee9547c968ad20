#include "CaseFile.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "RegistrationEdges.h"
#include "RegistrationOperations.h"
#include "SiteRegister.h"
#include "TempRegister.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Stands in for the window: fields and current row as the case sets them (the row's record as
// the list held it then is what the user saw), the answer given to every question, and a record
// of what was shown and which row was made current.
struct FakeEdges : RegistrationEdges
{
    SiteFields ReadSiteFields() const override { return fields; }
    SeenRecord ShownRecord() const override { return shown; }
    std::vector<SeenRecord> ChosenRecords() const override
    {
        return shown.number ? std::vector{shown} : std::vector<SeenRecord>();
    }
    void ShowRecord(int number) override { followed.push_back(number); }
    void KeepTypedFor(int number) override { kept.push_back(number); }
    void ShowMessage(const QString &text) override { messages << text; }
    bool AskYesNo(const QString &question) override { questions << question; return answerYes; }
    void SetFieldText(SiteFieldId, const QString &) override {}
    void FocusField(SiteFieldId field) override { focused.push_back(field); }
    bool SelectSiteRow(int row) override { selected = row; return true; }

    SiteFields fields;
    std::vector<SiteFieldId> focused;
    SeenRecord shown;
    std::vector<int> followed, kept;
    bool answerYes = true;
    QStringList messages, questions;
    int selected = kNoSelection;
    static constexpr int kNoSelection = -2;
};

const SiteRecord kA = MakeRecord("サイトA", "http://a.jp/", "東京", "", "", "説明A");
const SiteRecord kB = MakeRecord("サイトB", "http://b.jp/", "大阪");
const SiteRecord kC = MakeRecord("サイトC", "http://c.jp/", "", "", "ﾆｭｰｽ", "説明C");
const SiteRecord kNew = MakeRecord("日記", "http://d/?a=1&b=2", "趣味", "ｼｮｯﾌﾟ", "写真", "毎日の記録");

// A, B, C, N, or the six fields of a record separated by '|'.
SiteRecord recordOf(const QByteArray &field)
{
    if (field.size() == 1)
        return field == "A" ? kA : field == "B" ? kB : field == "C" ? kC : kNew;
    const QList<QByteArray> f = field.split('|');
    return MakeRecord(f.value(0).constData(), f.value(1).constData(), f.value(2).constData(), f.value(3).constData(),
                      f.value(4).constData(), f.value(5).constData());
}

std::vector<SiteRecord> recordsOf(const QList<QByteArray> &fields)
{
    std::vector<SiteRecord> records;
    for (const QByteArray &field : fields)
        records.push_back(recordOf(Unescaped(field)));
    return records;
}

// Runs the sessions of registration.txt (its head says how they read).
TEST(RegistrationOperations, sessionsRunAsWritten)
{
    const QStringList fieldNames{QStringLiteral("name"), QStringLiteral("url"), QStringLiteral("keyword1"),
                                 QStringLiteral("keyword2"), QStringLiteral("keyword3"), QStringLiteral("content")};
    std::unique_ptr<TempRegister> dir;
    std::unique_ptr<SiteRegister> reg;
    FakeEdges edges;
    Snapshot before;
    const auto begin = [&] {
        reg.reset();
        dir = std::make_unique<TempRegister>();
        edges = FakeEdges();
    };
    RunSessions(QStringLiteral(EDITING_TEST_DATA "/registration.txt"), begin,
                [&](const QByteArray &word, QList<QByteArray> f, const CaseRow &row) {
        const QString text = QString::fromUtf8(Unescaped(f.value(0)));
        if (word == "register") {
            WriteRegister(dir->path(), recordsOf(f));
        } else if (word == "open") {
            reg = std::make_unique<SiteRegister>(QFile::encodeName(dir->path()));
            ASSERT_TRUE(reg->open());
        } else if (word == "fields") {
            QStringList texts;
            for (const QByteArray &field : f)
                texts << QString::fromUtf8(Unescaped(field));
            if (texts == QStringList{QStringLiteral("N")})
                texts = QStringList{QString::fromUtf8("日記"), QStringLiteral("http://d/?a=1&b=2"), QString::fromUtf8("趣味"),
                                    QString::fromUtf8("ｼｮｯﾌﾟ"), QString::fromUtf8("写真"), QString::fromUtf8("毎日の記録")};
            edges.fields = {texts.value(0), texts.value(1), texts.value(2), texts.value(3), texts.value(4), texts.value(5)};
        } else if (word == "row") {
            const int position = f[0] == "none" ? -1 : f[0].toInt();
            edges.shown = position >= 0 && std::size_t(position) < reg->sites().size()
                ? SeenRecord{reg->sites().number(std::size_t(position)), reg->sites().at(std::size_t(position))}
                : SeenRecord();
        } else if (word == "answer") {
            edges.answerYes = f[0] != "no";
        } else if (word == "do") {
            before = TakeSnapshot(dir->path());
            RegistrationOperations operations(*reg, edges);
            f[0] == "register" ? operations.RegisterNewSite() : f[0] == "update" ? operations.UpdateSite() : operations.DeleteSite();
        } else if (word == "sites") {
            EXPECT_EQ(std::vector<SiteRecord>(reg->sites().begin(), reg->sites().end()), recordsOf(f));
            if (!reg->isDamaged()) {
                EXPECT_EQ(reg->sites(), ReadRegister(dir->path()));
            }
        } else if (word == "unchanged") {
            EXPECT_EQ(TakeSnapshot(dir->path()), before) << "written though nothing changed";
        } else if (word == "message") {
            EXPECT_EQ(edges.messages, QStringList{text});
        } else if (word == "question") {
            EXPECT_EQ(edges.questions, QStringList{text});
        } else if (word == "silent") {
            EXPECT_EQ(edges.messages + edges.questions, QStringList());
        } else if (word == "says") {
            ASSERT_EQ(edges.messages.size(), 1);
            EXPECT_TRUE(edges.messages[0].startsWith(text)) << edges.messages[0].toStdString();
        } else if (word == "names") {
            EXPECT_TRUE(edges.messages.value(0).contains(text)) << edges.messages.value(0).toStdString();
        } else if (word == "asked") {
            EXPECT_EQ(edges.questions.size(), f[0].toInt());
        } else if (word == "focused") {
            std::vector<SiteFieldId> expected;
            if (f[0] != "none")
                expected.push_back(SiteFieldId(fieldNames.indexOf(text)));
            EXPECT_EQ(edges.focused, expected);
        } else if (word == "current") {
            EXPECT_EQ(edges.selected, f[0] == "kept" ? FakeEdges::kNoSelection : f[0] == "none" ? -1 : f[0].toInt());
        } else if (word == "elsewhere") {
            RegisterFolder folder(QFile::encodeName(dir->path()));
            ASSERT_TRUE(folder.open(false));
            RegisterFiles files(folder);
            ASSERT_TRUE((f[0] == "update" ? files.update(f[1].toInt(), recordOf(f[2])) : files.remove(f[1].toInt())).done());
        } else if (word == "write") {
            dir->write(text, row.field(2));
        } else if (word == "folder") {
            ASSERT_TRUE(QDir(dir->path()).mkdir(text));
        } else {
            ADD_FAILURE() << "line " << row.line << ": unknown word " << word.toStdString();
        }
    });
}

} // namespace
