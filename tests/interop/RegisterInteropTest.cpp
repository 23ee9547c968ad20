// Registers written by the Windows profile functions and by us, read by both sides in one session
// of the oracle (every start of Wine takes a second or two): Windows reads what we write as the
// values we meant, and we read what Windows writes. How both read and rewrite files that people
// and other tools wrote is recorded in data/ini_read.tsv and data/ini_write.tsv.
#include "AppDirectory.h"
#include "CaseFile.h"
#include "CodePage.h"
#include "ProfileOracle.h"
#include "SiteStore.h"
#include "TempRegister.h"

#include <QDir>

#include <functional>
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

// The registers of one session: each is made first; then the Windows functions save into those
// that ask for it, load those that ask for it, all at once, and every check runs.
class Session
{
public:
    explicit Session(const QString &root) : m_root(root) {}

    QString folder(const QString &name) const
    {
        const QString path = QDir(m_root).filePath(name);
        EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
        return path;
    }
    void windowsSaves(const QString &folder, const std::vector<SiteRecord> &records) { m_saves.emplace_back(folder, records); }
    // `check` runs once the Windows functions have loaded `loads`.
    void check(const std::string &what, const QStringList &loads, const std::function<void()> &check)
    {
        m_checks.push_back({what, loads, check});
    }
    const std::vector<SiteRecord> &windowsLoad(const QString &folder) const { return m_loads.at(folder).records; }

    void run()
    {
        for (const auto &[folder, records] : m_saves)
            ASSERT_EQ(ProfileOracle::save(folder, records), QString());
        QStringList all;
        for (const Check &check : m_checks)
            all << check.loads;
        const std::vector<ProfileOracle::Load> loads = ProfileOracle::load(all);
        for (qsizetype i = 0; i < all.size(); ++i)
            m_loads[all[i]] = loads[std::size_t(i)];
        for (const Check &check : m_checks) {
            SCOPED_TRACE(check.what);
            const auto failed = std::find_if(check.loads.begin(), check.loads.end(), [&](const QString &f) { return !m_loads[f].ok; });
            if (failed != check.loads.end())
                ADD_FAILURE() << "the Windows load failed: " << m_loads[*failed].error.toStdString();
            else
                check.run();
        }
    }

private:
    struct Check
    {
        std::string what;
        QStringList loads;
        std::function<void()> run;
    };
    QString m_root;
    std::vector<std::pair<QString, std::vector<SiteRecord>>> m_saves;
    std::vector<Check> m_checks;
    std::map<QString, ProfileOracle::Load> m_loads;
};

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

// Awkward values in every field, saved by Windows and by us. A register Windows saved loads here as
// it loads there, except that long values come back whole: the 4095-byte cut of the Windows reader
// is a loss we do not copy. What we save reads back through the Windows functions as the values we
// meant, blanks, quotes and all.
void awkwardValues(Session &s)
{
    std::vector<AwkwardValue> table;
    for (const CaseRow &row : ReadCaseRows(QStringLiteral(SITEKANRI_INTEROP_TABLES "/awkward_values.tsv"))) {
        table.push_back({row.fields[0].toStdString(), CaseField(row.fields.value(1), SjisOf), std::nullopt});
        if (row.fields.size() > 2)
            table.back().wineReads = CaseField(row.fields[2], SjisOf);
    }
    // One record per value; the fields rotate through the table so that every key holds every value.
    const auto valueAt = [table](std::size_t record, std::size_t field) { return table[(record + field) % table.size()]; };
    const auto where = [valueAt](std::size_t r, std::size_t f) {
        return "record " + std::to_string(r + 1) + " " + kRecordKeys[f] + " (" + valueAt(r, f).name + ")";
    };
    std::vector<SiteRecord> written(table.size());
    for (std::size_t r = 0; r < table.size(); ++r) {
        for (std::size_t f = 0; f < 6; ++f)
            written[r].*kRecordFields[f] = valueAt(r, f).value;
    }
    const QString theirs = s.folder(QStringLiteral("values-windows")), ours = s.folder(QStringLiteral("values-ours"));
    s.windowsSaves(theirs, written);
    AddRecords(ours, written);
    s.check("awkward values", {theirs, ours}, [&s, theirs, ours, written, where, valueAt] {
        // Our own reader gives every byte back, NEC codes included.
        ExpectSameRecords(LoadWithSiteStore(ours), written, {}, "our own load");
        const std::vector<SiteRecord> mine = LoadWithSiteStore(theirs);
        const std::vector<SiteRecord> &windowsSaved = s.windowsLoad(theirs), &windowsRead = s.windowsLoad(ours);
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
    const QString ours = s.folder(QStringLiteral("typed-ours")), theirs = s.folder(QStringLiteral("typed-windows"));
    WriteRegister(ours, typed);
    s.windowsSaves(theirs, stored);
    s.check("typed characters", {ours}, [&s, ours, theirs, stored, readBack, labels] {
        ExpectSameRecords(s.windowsLoad(ours), stored, labels, "Windows reads ours");
        const std::vector<SiteRecord> mine = LoadWithSiteStore(theirs);
        ASSERT_EQ(mine.size(), readBack.size());
        for (std::size_t i = 0; i < mine.size(); ++i)
            EXPECT_EQ(CodePage::toText(mine[i].m_content), readBack[i]) << labels[i];
    });
}

using RegisterInterop = OracleTest;

TEST_F(RegisterInterop, bothReadersMakeTheSameOfEveryRegister)
{
    Session session(m_root.path());
    for (const auto make : {awkwardValues, typedCharacters})
        make(session);
    session.run();
}

} // namespace
