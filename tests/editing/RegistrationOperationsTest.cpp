#include "CaseFile.h"
#include "RegistrationEdges.h"
#include "RegistrationOperations.h"
#include "TempRegister.h"

#include <QDir>

namespace {

// Stands in for the window: fields and current row as the case sets them (the row's record as
// the list held it then is what the user saw), the answer given to every question, and a record
// of the questions, messages, focus and the row made current.
struct FakeEdges : RegistrationEdges
{
    SiteFields ReadSiteFields() const override { return fields; }
    SeenRecord ShownRecord() const override { return shown; }
    std::vector<SeenRecord> ChosenRecords() const override { return shown.number ? std::vector{shown} : std::vector<SeenRecord>(); }
    void ShowRecord(int) override {}
    void KeepTypedFor(int) override {}
    void ShowMessage(const QString &text) override { messages << text; }
    bool AskYesNo(const QString &question) override { questions << question; return answerYes; }
    void SetFieldText(SiteFieldId, const QString &) override {}
    void FocusField(SiteFieldId field) override { focused.push_back(field); }
    bool SelectSiteRow(int row) override { selected = row; return true; }

    SiteFields fields;
    std::vector<SiteFieldId> focused;
    SeenRecord shown;
    bool answerYes = true;
    QStringList messages, questions;
    int selected = kNoSelection;
    static constexpr int kNoSelection = -2;
};

const SiteRecord kA = MakeRecord("サイトA", "http://a.jp/", "東京", "", "", "説明A");
const SiteRecord kB = MakeRecord("サイトB", "http://b.jp/", "大阪");
const SiteRecord kC = MakeRecord("サイトC", "http://c.jp/", "", "", "ﾆｭｰｽ", "説明C");
const QByteArray kNew = "日記|http://d/?a=1&b=2|趣味|ｼｮｯﾌﾟ|写真|毎日の記録";

// A, B, C, N, or the six fields of a record separated by '|'.
SiteRecord recordOf(const QByteArray &field)
{
    if (field.size() == 1 && field != "N")
        return field == "A" ? kA : field == "B" ? kB : kC;
    const QList<QByteArray> f = (field == "N" ? kNew : field).split('|');
    return MakeRecord(f.value(0).constData(), f.value(1).constData(), f.value(2).constData(), f.value(3).constData(),
                      f.value(4).constData(), f.value(5).constData());
}

// "A,B,C": records separated by ","; empty: none.
std::vector<SiteRecord> recordsOf(const QByteArray &column)
{
    std::vector<SiteRecord> records;
    for (const QByteArray &field : column.split(','))
        if (!field.isEmpty())
            records.push_back(recordOf(Unescaped(field)));
    return records;
}

// Whether `text` is `pattern`, where "…" stands for any text.
bool matches(const QString &text, const QString &pattern)
{
    const QString expression = QRegularExpression::escape(pattern).replace(QStringLiteral("\\…"), QStringLiteral(".*"));
    return QRegularExpression(QRegularExpression::anchoredPattern(expression), QRegularExpression::DotMatchesEverythingOption)
        .match(text)
        .hasMatch();
}

// Runs the cases of registration.txt (its head says how they read).
TEST(RegistrationOperations, casesRunAsWritten)
{
    const QStringList fieldNames{QStringLiteral("name"), QStringLiteral("url"), QStringLiteral("keyword1"),
                                 QStringLiteral("keyword2"), QStringLiteral("keyword3"), QStringLiteral("content")};
    for (const CaseRow &row : ReadCaseRows(QStringLiteral(TEST_DATA "/registration.txt"))) {
        ASSERT_EQ(row.fields.size(), 11) << "line " << row.line;
        const auto text = [&row](int column) { return QString::fromUtf8(row.field(column)); };
        SCOPED_TRACE(row.fields[0].toStdString() + " (line " + std::to_string(row.line) + ")");
        const QList<QByteArray> before = row.fields[2].split(' ');
        TempRegister dir;
        WriteRegister(dir.path(), recordsOf(row.fields[1]));
        if (before[0] == "damaged")
            dir.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=\r\n");
        SiteRegister reg(QFile::encodeName(dir.path()));
        ASSERT_TRUE(reg.open());
        if (before[0] == "read-only") {
            ASSERT_TRUE(QFile::setPermissions(dir.file(QString::fromUtf8(before[1])), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        } else if (before[0] == "update" || before[0] == "remove") {
            FolderFiles other(dir.path());
            ASSERT_TRUE((before[0] == "update" ? other.files.update(before[1].toInt(), recordOf(before[2])) : other.files.remove(before[1].toInt())).done());
        }

        FakeEdges edges;
        QStringList fields;
        for (const QByteArray &field : (row.fields[3] == "N" ? kNew : row.fields[3]).split('|'))
            fields << QString::fromUtf8(Unescaped(field));
        edges.fields = {fields.value(0), fields.value(1), fields.value(2), fields.value(3), fields.value(4), fields.value(5)};
        const int position = row.fields[4] == "none" ? -1 : row.fields[4].toInt();
        if (position >= 0 && std::size_t(position) < reg.sites().size())
            edges.shown = {reg.sites().number(std::size_t(position)), reg.sites().at(std::size_t(position))};
        const QList<QByteArray> op = row.fields[5].split('/');
        edges.answerYes = op.value(1) != "no";
        const Snapshot untouched = TakeSnapshot(dir.path());
        RegistrationOperations operations(reg, edges);
        op[0] == "register" ? operations.RegisterNewSite() : op[0] == "update" ? operations.UpdateSite() : operations.DeleteSite();

        const bool unchanged = row.fields[6].startsWith('=');
        const QByteArray sites = unchanged ? (row.fields[6].size() > 1 ? row.fields[6].mid(2) : row.fields[1]) : row.fields[6];
        EXPECT_EQ(std::vector<SiteRecord>(reg.sites().begin(), reg.sites().end()), recordsOf(sites));
        if (!reg.isDamaged()) {
            EXPECT_EQ(reg.sites(), ReadRegister(dir.path()));
        }
        if (unchanged) {
            EXPECT_EQ(TakeSnapshot(dir.path()), untouched) << "written though nothing changed";
        }
        EXPECT_EQ(edges.questions.size(), text(7).isEmpty() ? 0 : text(7).count(u'|') + 1);
        EXPECT_TRUE(matches(edges.questions.join(u'|'), text(7))) << edges.questions.join(u'|').toStdString();
        EXPECT_EQ(edges.messages.size(), text(8).isEmpty() ? 0 : 1);
        EXPECT_TRUE(matches(edges.messages.join(u'|'), text(8))) << edges.messages.join(u'|').toStdString();
        std::vector<SiteFieldId> focused;
        if (!text(9).isEmpty())
            focused.push_back(SiteFieldId(fieldNames.indexOf(text(9))));
        EXPECT_EQ(edges.focused, focused);
        EXPECT_EQ(edges.selected, text(10).isEmpty() ? FakeEdges::kNoSelection : text(10) == u"none" ? -1 : text(10).toInt());
    }
}

} // namespace
