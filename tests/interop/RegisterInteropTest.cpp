// Registers written by the Windows profile functions and by us, read by both sides in one session
// of the oracle (every start of Wine takes a second or two): Windows reads what we write as the
// values we meant, and we read what Windows writes. How both read and rewrite files that people
// and other tools wrote is recorded in data/ini_read.tsv and data/ini_write.tsv.
#include "AppDirectory.h"
#include "CaseFile.h"
#include "CodePage.h"
#include "ImportPlan.h"
#include "ProfileOracle.h"
#include "SiteEntry.h"
#include "SiteStore.h"
#include "TempRegister.h"

#include <QDir>

#include <map>
#include <optional>

namespace {

// The Windows reader hands back at most this many bytes of a value (a 4096-byte buffer).
constexpr qsizetype kWindowsReadLimit = 4095;

// The register in `directory`, loaded by our own SiteStore.
std::vector<SiteRecord> LoadWithSiteStore(const QString &directory)
{
    SetAppDirectory(directory);
    SiteStore store;
    const IoResult loaded = store.Load();
    SetAppDirectory(QString());
    EXPECT_TRUE(loaded) << loaded.describe().toStdString();
    return {store.m_sites.begin(), store.m_sites.end()};
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

// One awkward value of awkward_values.tsv: what Wine's reader returns for it when that is not the
// value itself (the table says why).
struct AwkwardValue
{
    std::string name;
    QByteArray value;
    std::optional<QByteArray> wineReads;
};

// The Windows reader cuts long values, at the last whole character within its limit.
void expectCutPrefix(const QByteArray &cut, const QByteArray &whole, const std::string &context)
{
    EXPECT_TRUE(whole.startsWith(cut)) << context << ": " << ::testing::PrintToString(cut) << " is no prefix of " << ::testing::PrintToString(whole);
    EXPECT_GE(cut.size(), kWindowsReadLimit - 1) << context;
    EXPECT_LE(cut.size(), kWindowsReadLimit) << context;
}

// "U+0031 U+301C" as text.
QString codePoints(const QByteArray &field)
{
    QList<uint> points;
    for (const QByteArray &point : field.split(' '))
        points.append(point.mid(2).toUInt(nullptr, 16));
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(points.constData()), points.size());
}

// The registers both sides write, saved and loaded by the Windows functions in one session of the
// oracle: every save first, then every load side by side.
class RegisterInterop : public OracleTest
{
protected:
    QString folder(const QString &name) const
    {
        const QString path = QDir(m_root.path()).filePath(name);
        EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
        return path;
    }
    void runWindows(const std::map<QString, std::vector<SiteRecord>> &saves, const QStringList &loads)
    {
        for (const auto &[folder, records] : saves)
            ASSERT_EQ(ProfileOracle::save(folder, records), QString());
        const std::vector<ProfileOracle::Load> loaded = ProfileOracle::load(loads);
        for (qsizetype i = 0; i < loads.size(); ++i) {
            ASSERT_TRUE(loaded[std::size_t(i)].ok) << "the Windows load failed: " << loaded[std::size_t(i)].error.toStdString();
            m_windowsLoads[loads[i]] = loaded[std::size_t(i)].records;
        }
    }
    std::map<QString, std::vector<SiteRecord>> m_windowsLoads;
};

// Awkward values in every field, saved by Windows and by us. A register Windows saved loads here as
// it loads there, except that long values come back whole: the 4095-byte cut of the Windows reader
// is a loss we do not copy. What we save reads back through the Windows functions as the values we
// meant, blanks, quotes and all. Text typed on Linux, over windows_characters.tsv: we store what
// Windows would store for the same characters, and read what Windows stored as Windows does
// (framed: the profile writer strips 0x1A at a value's ends as it strips blanks).
TEST_F(RegisterInterop, eachSideReadsWhatTheOtherWrote)
{
    std::vector<AwkwardValue> table;
    for (const CaseRow &row : ReadCaseRows(QStringLiteral(SITEKANRI_INTEROP_TABLES "/awkward_values.tsv"))) {
        table.push_back({row.fields[0].toStdString(), CaseField(row.fields.value(1), SjisOf), std::nullopt});
        if (row.fields.size() > 2)
            table.back().wineReads = CaseField(row.fields[2], SjisOf);
    }
    // One record per value; the fields rotate through the table so that every key holds every value.
    const auto valueAt = [&table](std::size_t record, std::size_t field) { return table[(record + field) % table.size()]; };
    const auto where = [valueAt](std::size_t r, std::size_t f) {
        return "record " + std::to_string(r + 1) + " " + kRecordKeys[f] + " (" + valueAt(r, f).name + ")";
    };
    std::vector<SiteRecord> written(table.size());
    for (std::size_t r = 0; r < table.size(); ++r) {
        for (std::size_t f = 0; f < 6; ++f)
            written[r].*kRecordFields[f] = valueAt(r, f).value;
    }
    const QString theirs = folder(QStringLiteral("values-windows")), ours = folder(QStringLiteral("values-ours"));
    AddRecords(ours, written);

    std::vector<SiteRecord> typed, stored;
    std::vector<QString> readBack;
    std::vector<std::string> labels;
    for (const CaseRow &row : ReadCaseRows(QStringLiteral(SITEKANRI_CHARACTER_TABLE))) {
        const QList<QByteArray> &f = row.fields; // typed, stored (hex), read back, what it is
        ASSERT_EQ(f.size(), 4) << "line " << row.line;
        QByteArray bytes;
        EXPECT_TRUE(CodePage::fromTypedText(codePoints(f[0]), bytes)) << "line " << row.line;
        typed.emplace_back().m_content = '<' + bytes + '>';
        stored.emplace_back().m_content = '<' + QByteArray::fromHex(f[1]) + '>';
        readBack.push_back(QLatin1Char('<') + codePoints(f[2]) + QLatin1Char('>'));
        labels.push_back(f[3].toStdString());
    }
    const QString typedOurs = folder(QStringLiteral("typed-ours")), typedTheirs = folder(QStringLiteral("typed-windows"));
    WriteRegister(typedOurs, typed);

    // A hostile bookmark file imported, and typed text Shift_JIS lacks: stored as references, so the
    // files are plain Shift_JIS and Windows reads the same bytes.
    const BookmarkImport import = PlanBookmarkFileImport(QStringLiteral(SITEKANRI_BOOKMARK_FILES "/hostile.html"), {});
    ASSERT_TRUE(import.read.ok);
    std::vector<SiteRecord> imported = import.plan.records.all();
    ASSERT_TRUE(EncodeSiteFields({QStringLiteral("Café 🍣 <b>"), QStringLiteral("https://例え.jp/パス"),
                                  QStringLiteral("한국어"), {}, {}, QStringLiteral("Straße")},
                                 imported.emplace_back())
                    .isEmpty());
    for (const SiteRecord &record : imported) {
        for (const RecordField field : kRecordFields) {
            QByteArray again;
            EXPECT_TRUE(CodePage::fromText(CodePage::toText(record.*field), again) && again == record.*field)
                << "not Shift_JIS: " << ::testing::PrintToString(record.*field);
        }
    }
    const QString importedOurs = folder(QStringLiteral("imported"));
    WriteRegister(importedOurs, imported);

    ASSERT_NO_FATAL_FAILURE(runWindows({{theirs, written}, {typedTheirs, stored}}, {theirs, ours, typedOurs, importedOurs}));
    ExpectSameRecords(m_windowsLoads[importedOurs], imported, {}, "Windows reads the imported text");

    // Our own reader gives every byte back, NEC codes included.
    ExpectSameRecords(LoadWithSiteStore(ours), written, {}, "our own load");
    const std::vector<SiteRecord> mine = LoadWithSiteStore(theirs);
    const std::vector<SiteRecord> &windowsSaved = m_windowsLoads[theirs], &windowsRead = m_windowsLoads[ours];
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
                EXPECT_EQ(mine[r].*kRecordFields[f], windowsSaved[r].*kRecordFields[f]) << where(r, f);
                EXPECT_EQ(windowsRead[r].*kRecordFields[f], valueAt(r, f).wineReads.value_or(value)) << where(r, f);
            }
        }
    }
    EXPECT_EQ(cut, 12); // two long values, each in all six fields

    ExpectSameRecords(m_windowsLoads[typedOurs], stored, labels, "Windows reads our typed characters");
    const std::vector<SiteRecord> typedMine = LoadWithSiteStore(typedTheirs);
    ASSERT_EQ(typedMine.size(), readBack.size());
    for (std::size_t i = 0; i < typedMine.size(); ++i)
        EXPECT_EQ(CodePage::toText(typedMine[i].m_content), readBack[i]) << labels[i];
}

} // namespace
