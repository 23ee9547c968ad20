// Registers made by the Windows profile functions and by us, read by both sides in one
// session of the oracle (every start of Wine takes a second or two): Windows reads what we write
// as the values we meant, and we read what Windows writes. (What the profile functions make of
// files people and other tools wrote, counts included, and of a rewrite line by line is recorded
// in the ini tables and the count test of tests/data.)
#include "CaseFile.h"
#include "CodePage.h"
#include "ImportPlan.h"
#include "ProfileOracle.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "SiteEntry.h"
#include "TempRegister.h"

#include <QDir>
#include <QFile>

#include <functional>
#include <map>

namespace {

// The Windows reader hands back at most this many bytes of a value (a 4096-byte buffer).
constexpr qsizetype kWindowsReadLimit = 4095;

QString InteropTable(const char *name) { return QStringLiteral(TEST_DATA "/") + QLatin1String(name); }

// The register in `directory`, loaded as the window and the command line load it.
std::vector<SiteRecord> LoadOurs(const QString &directory)
{
    RegisterFolder folder(QFile::encodeName(directory));
    const IoResult opened = folder.open(RegisterFolder::Missing::ReadsEmpty);
    EXPECT_TRUE(opened) << opened.describe().toStdString();
    const Reading<LoadedRegister> loaded = RegisterFiles(folder).load();
    EXPECT_TRUE(loaded) << loaded.io.describe().toStdString();
    return {loaded.value.sites.begin(), loaded.value.sites.end()};
}

// Field by field; `labels` names the records by position.
void ExpectSameRecords(const std::vector<SiteRecord> &actual, const std::vector<SiteRecord> &expected,
                       const std::vector<std::string> &labels, const std::string &context)
{
    ASSERT_EQ(actual.size(), expected.size()) << context;
    for (std::size_t r = 0; r < actual.size(); ++r) {
        for (std::size_t f = 0; f < 6; ++f)
            EXPECT_EQ(actual[r].*kRecordFields[f], expected[r].*kRecordFields[f])
                << context << ", " << (r < labels.size() ? labels[r] : "record " + std::to_string(r + 1)) << ", " << kRecordKeys[f];
    }
}

// The registers of one session of the oracle: each section makes its registers, names those the
// Windows functions save into and those they load, and leaves checks that run once they have.
struct Session
{
    QString folder(const QString &name) const
    {
        const QString path = QDir(root.path()).filePath(name);
        EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
        return path;
    }

    QTemporaryDir root;
    std::map<QString, std::vector<SiteRecord>> windowsSaves; // folder → the records saved there
    QStringList windowsLoads;
    std::map<QString, std::vector<SiteRecord>> windows; // what the Windows functions loaded, by folder
    std::vector<std::function<void()>> checks;
};

// A register with gaps, as deletes leave it, loads through the Windows functions to the same records
// in the same order. When they save it (renumbered from 1, the files above their count left behind),
// it loads back here. (The next add removes what a shorter list left behind: the register-file
// sessions.)
void registerWithGaps(Session &s)
{
    std::vector<SiteRecord> records;
    for (const char *name : {"一", "二", "三", "四", "五"})
        records.push_back(MakeRecord(name, "http://example.jp/"));
    const std::vector<SiteRecord> kept{records[0], records[2], records[4]};
    const QString loaded = s.folder(QStringLiteral("gaps")), saved = s.folder(QStringLiteral("gaps-windows"));
    WriteRegister(loaded, records, {2, 4});
    WriteRegister(saved, records, {2, 4});
    s.windowsSaves[saved] = kept;
    s.windowsLoads << loaded;
    s.checks.push_back([&s, loaded, saved, kept] {
        EXPECT_EQ(LoadOurs(loaded), kept);
        ExpectSameRecords(s.windows[loaded], kept, {}, "Windows loading a register with gaps");
        ASSERT_TRUE(QFile::exists(QDir(saved).filePath(DataFileName(5)))) << "the Windows save left the fifth file behind";
        EXPECT_EQ(LoadOurs(saved), kept);
    });
}

// Dates in our own section: the Windows functions read the records as they are, and when they
// delete a site (the third saved into the second's file, the section left as it was) the dates
// there are another site's: unknown here, never the second site's given to the third.
void datesAfterWindowsRenumbers(Session &s)
{
    std::vector<SiteRecord> records;
    for (const char *name : {"一", "二", "三"})
        records.push_back(MakeRecord(name, (QByteArray("http://example.jp/") + name).constData()));
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].SetDates(1765288707 + std::int64_t(i) * 86400, 1796824707 + std::int64_t(i) * 86400);
    const std::vector<SiteRecord> afterDelete{records[0], records[2]};
    const QString ours = s.folder(QStringLiteral("dates-ours")), renumbered = s.folder(QStringLiteral("dates-windows"));
    WriteRegister(ours, records);
    WriteRegister(renumbered, records);
    s.windowsLoads << ours;
    s.windowsSaves[renumbered] = afterDelete;
    s.checks.push_back([&s, ours, renumbered, records, afterDelete] {
        ExpectSameRecords(s.windows[ours], records, {}, "Windows reads a register with dates");
        const QByteArray second = ReadFile(QDir(renumbered).filePath(DataFileName(2)));
        ASSERT_TRUE(second.contains("DATESURL=" + DatesUrlDigest(records[1].GetUrl()))) << "the second site's dates did not stay behind";
        const std::vector<SiteRecord> mine = LoadOurs(renumbered);
        ExpectSameRecords(mine, afterDelete, {}, "our load after Windows renumbered");
        ASSERT_EQ(mine.size(), 2u);
        EXPECT_EQ(std::pair(mine[0].GetAdded(), mine[0].GetChanged()), std::pair(records[0].GetAdded(), records[0].GetChanged()));
        EXPECT_EQ(std::pair(mine[1].GetAdded(), mine[1].GetChanged()), std::pair(std::int64_t(0), std::int64_t(0)))
            << "the third site took the second's dates";
    });
}

// The Windows reader cuts long values, at the last whole character within its limit.
void expectCutPrefix(const QByteArray &cut, const QByteArray &whole, const std::string &context)
{
    EXPECT_TRUE(whole.startsWith(cut)) << context << ": " << ::testing::PrintToString(cut) << " is no prefix of " << ::testing::PrintToString(whole);
    EXPECT_GE(cut.size(), kWindowsReadLimit - 1) << context;
    EXPECT_LE(cut.size(), kWindowsReadLimit) << context;
}

// Awkward values in every field, saved by Windows and by us. A register Windows saved loads here as
// it loads there, except that long values come back whole: the 4095-byte cut of the Windows reader
// is a loss we do not copy. What we save reads back through the Windows functions as the values we
// meant, blanks, quotes and all, or as the table says Wine's reader returns them.
void awkwardValues(Session &s)
{
    const std::vector<CaseRow> table = ReadCaseRows(InteropTable("awkward_values.tsv"));
    // One record per value; the fields rotate through the table so that every key holds every value.
    const auto row = [table](std::size_t r, std::size_t f) { return table[(r + f) % table.size()]; };
    const auto where = [row](std::size_t r, std::size_t f) {
        return "record " + std::to_string(r + 1) + " " + kRecordKeys[f] + " (" + row(r, f).fields[0].toStdString() + ")";
    };
    std::vector<SiteRecord> written(table.size());
    for (std::size_t r = 0; r < table.size(); ++r) {
        for (std::size_t f = 0; f < 6; ++f)
            written[r].*kRecordFields[f] = CaseField(row(r, f).fields.value(1), SjisOf);
    }
    const QString theirs = s.folder(QStringLiteral("values-windows")), ours = s.folder(QStringLiteral("values-ours"));
    s.windowsSaves[theirs] = written;
    AddRecords(ours, written);
    s.windowsLoads << theirs << ours;
    s.checks.push_back([&s, theirs, ours, written, where, row] {
        // Our own reader gives every byte back, NEC codes included.
        ExpectSameRecords(LoadOurs(ours), written, {}, "our own load");
        const std::vector<SiteRecord> mine = LoadOurs(theirs);
        const std::vector<SiteRecord> &windowsSaved = s.windows[theirs], &windowsRead = s.windows[ours];
        ASSERT_TRUE(mine.size() == written.size() && windowsSaved.size() == written.size() && windowsRead.size() == written.size());
        int cut = 0;
        for (std::size_t r = 0; r < written.size(); ++r) {
            for (std::size_t f = 0; f < 6; ++f) {
                const QByteArray &value = written[r].*kRecordFields[f];
                if (value.size() > kWindowsReadLimit) {
                    // Whole here (they have no blanks or quotes at their ends), cut by Windows.
                    ++cut;
                    EXPECT_EQ(mine[r].*kRecordFields[f], value) << where(r, f);
                    expectCutPrefix(windowsSaved[r].*kRecordFields[f], value, where(r, f));
                    expectCutPrefix(windowsRead[r].*kRecordFields[f], value, where(r, f));
                } else {
                    const QList<QByteArray> &fields = row(r, f).fields;
                    EXPECT_EQ(mine[r].*kRecordFields[f], windowsSaved[r].*kRecordFields[f]) << where(r, f);
                    EXPECT_EQ(windowsRead[r].*kRecordFields[f], fields.size() > 2 ? CaseField(fields[2], SjisOf) : value) << where(r, f);
                }
            }
        }
        EXPECT_EQ(cut, 12); // two long values, each in all six fields
    });
}

// "U+0031 U+301C" as text.
QString codePoints(const QByteArray &field)
{
    QList<uint> points;
    for (const QByteArray &point : field.split(' '))
        points.append(point.mid(2).toUInt(nullptr, 16));
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(points.constData()), points.size());
}

// Text typed on Linux, over windows_characters.tsv: we store what Windows would store for the same
// characters, and read what Windows stored as Windows does. Framed: the profile writer strips 0x1A
// at a value's ends as it strips blanks.
void typedCharacters(Session &s)
{
    std::vector<SiteRecord> typed, stored;
    std::vector<QString> readBack;
    std::vector<std::string> labels;
    for (const CaseRow &row : ReadCaseRows(InteropTable("windows_characters.tsv"))) {
        const QList<QByteArray> &f = row.fields; // typed, stored (hex), read back, what it is
        ASSERT_EQ(f.size(), 4) << "line " << row.line;
        QByteArray bytes;
        EXPECT_TRUE(CodePage::fromTypedText(codePoints(f[0]), bytes)) << "line " << row.line;
        typed.emplace_back().SetContent('<' + bytes + '>');
        stored.emplace_back().SetContent('<' + QByteArray::fromHex(f[1]) + '>');
        readBack.push_back(QLatin1Char('<') + codePoints(f[2]) + QLatin1Char('>'));
        labels.push_back(f[3].toStdString());
    }
    const QString ours = s.folder(QStringLiteral("typed-ours")), theirs = s.folder(QStringLiteral("typed-windows"));
    WriteRegister(ours, typed);
    s.windowsSaves[theirs] = stored;
    s.windowsLoads << ours;
    s.checks.push_back([&s, ours, theirs, stored, readBack, labels] {
        ExpectSameRecords(s.windows[ours], stored, labels, "Windows reads ours");
        const std::vector<SiteRecord> mine = LoadOurs(theirs);
        ASSERT_EQ(mine.size(), readBack.size());
        for (std::size_t i = 0; i < mine.size(); ++i)
            EXPECT_EQ(CodePage::toText(mine[i].GetContent()), readBack[i]) << labels[i];
    });
}

// Text from outside and typed text with characters Shift_JIS lacks are stored as references: the
// files are plain Shift_JIS, and Windows reads the same bytes.
void textOutsideShiftJis(Session &s)
{
    const BookmarkImport import = PlanBookmarkFileImport(QStringLiteral(SITEKANRI_BOOKMARK_FILES "/hostile.html"), {});
    ASSERT_TRUE(import.read.ok);
    std::vector<SiteRecord> records = import.plan.records.all();
    SiteRecord typed;
    ASSERT_TRUE(EncodeSiteFields({QStringLiteral("Café 🍣 <b>"), QStringLiteral("https://例え.jp/パス"),
                                  QStringLiteral("한국어"), {}, {}, QStringLiteral("Straße")},
                                 typed)
                    .isEmpty());
    records.push_back(typed);
    for (const SiteRecord &record : records) {
        for (const RecordField field : kRecordFields) {
            QByteArray again;
            EXPECT_TRUE(CodePage::fromText(CodePage::toText(record.*field), again) && again == record.*field)
                << "not Shift_JIS: " << ::testing::PrintToString(record.*field);
        }
    }
    const QString reg = s.folder(QStringLiteral("imported"));
    WriteRegister(reg, records);
    s.windowsLoads << reg;
    s.checks.push_back([&s, reg, records] { ExpectSameRecords(s.windows[reg], records, {}, "Windows reads the import"); });
}

// Every register is made first; then the Windows functions save into those that ask for it, load
// every other at once, side by side, and every check runs.
TEST(RegisterInterop, bothReadersMakeTheSameOfEveryRegister)
{
    if (const QString reason = ProfileOracle::unavailableReason(); !reason.isEmpty())
        GTEST_SKIP() << reason.toStdString();
    Session s;
    for (const auto make : {registerWithGaps, awkwardValues, typedCharacters, textOutsideShiftJis, datesAfterWindowsRenumbers})
        make(s);
    for (const auto &[folder, records] : s.windowsSaves)
        ASSERT_EQ(ProfileOracle::save(folder, records), QString());
    const std::vector<ProfileOracle::Load> loads = ProfileOracle::load(s.windowsLoads);
    for (qsizetype i = 0; i < s.windowsLoads.size(); ++i) {
        ASSERT_EQ(loads[std::size_t(i)].error, QString()) << "the Windows load of " << s.windowsLoads[i].toStdString();
        s.windows[s.windowsLoads[i]] = loads[std::size_t(i)].records;
    }
    for (const std::function<void()> &check : s.checks)
        check();
}

} // namespace
