// Awkward field values in both directions between the Windows profile functions and our register files.
#include "CaseFile.h"
#include "InteropSupport.h"
#include "ProfileOracle.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// The Windows reader hands back at most this many bytes of a value (a 4096-byte buffer).
constexpr qsizetype kWindowsReadLimit = 4095;

// One awkward value: its name, the value, and what Wine's reader returns for it when that is not
// the value itself (awkward_values.tsv says why).
struct AwkwardValue
{
    std::string name;
    QByteArray value;
    std::optional<QByteArray> wineReads;
};

const std::vector<AwkwardValue> &awkwardValues()
{
    static const std::vector<AwkwardValue> table = [] {
        std::vector<AwkwardValue> values;
        for (const CaseRow &row : ReadCaseRows(InteropTable("awkward_values.tsv"))) {
            values.push_back({row.fields[0].toStdString(), CaseField(row.fields.value(1), SjisOf), std::nullopt});
            if (row.fields.size() > 2)
                values.back().wineReads = CaseField(row.fields[2], SjisOf);
        }
        return values;
    }();
    return table;
}

// One record per value; the fields rotate through the table so that every key holds every value.
std::vector<SiteRecord> awkwardRecords()
{
    const auto &table = awkwardValues();
    std::vector<SiteRecord> records(table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        for (std::size_t f = 0; f < 6; ++f)
            records[i].*kRecordFields[f] = table[(i + f) % table.size()].value;
    }
    return records;
}

const AwkwardValue &valueAt(std::size_t record, std::size_t field)
{
    return awkwardValues()[(record + field) % awkwardValues().size()];
}

std::string where(std::size_t record, std::size_t field)
{
    return "record " + std::to_string(record + 1) + " " + kRecordKeys[field] + " (" + valueAt(record, field).name + ")";
}

// The Windows reader cuts long values, at the last whole character within its limit.
void expectCutPrefix(const QByteArray &cut, const QByteArray &whole, const std::string &context)
{
    EXPECT_TRUE(whole.startsWith(cut)) << context << ": " << ::testing::PrintToString(cut) << " is no prefix of " << ::testing::PrintToString(whole);
    EXPECT_GE(cut.size(), kWindowsReadLimit - 1) << context;
    EXPECT_LE(cut.size(), kWindowsReadLimit) << context;
}

using ValueInterop = OracleTest;

// A register the Windows program saved loads here as it loads there, except that long values
// come back whole: the 4095-byte cut of the Windows reader is a loss we do not copy.
TEST_F(ValueInterop, windowsSave_ourLoadReadsWhatWindowsReads)
{
    const std::vector<SiteRecord> written = awkwardRecords();
    ASSERT_EQ(ProfileOracle::save(m_root.path(), written), QString());
    const ProfileOracle::Load theirs = ProfileOracle::load(m_root.path());
    ASSERT_TRUE(theirs.ok) << theirs.error.toStdString();
    const std::vector<SiteRecord> ours = LoadWithSiteStore(m_root.path());
    ASSERT_EQ(ours.size(), written.size());
    ASSERT_EQ(theirs.records.size(), written.size());

    int cut = 0;
    for (std::size_t r = 0; r < written.size(); ++r) {
        for (std::size_t f = 0; f < 6; ++f) {
            const QByteArray &mine = ours[r].*kRecordFields[f];
            const QByteArray &wine = theirs.records[r].*kRecordFields[f];
            const QByteArray &value = written[r].*kRecordFields[f];
            if (value.size() > kWindowsReadLimit) {
                // The long values have no blanks or quotes at their ends, so whole they read as written.
                ++cut;
                EXPECT_EQ(mine, value) << where(r, f);
                expectCutPrefix(wine, mine, where(r, f));
            } else {
                EXPECT_EQ(mine, wine) << where(r, f);
            }
        }
    }
    EXPECT_EQ(cut, 12); // two long values, each in all six fields
}

// What we save reads back through the Windows functions as the values we meant: blanks, quotes
// and all (we quote where its writer and reader would strip them). Long values are cut by its
// reader, so only their start can agree.
TEST_F(ValueInterop, ourSave_windowsLoadReadsOurValues)
{
    const std::vector<SiteRecord> written = awkwardRecords();
    AddRecords(m_root.path(), written);
    const ProfileOracle::Load theirs = ProfileOracle::load(m_root.path());
    ASSERT_TRUE(theirs.ok) << theirs.error.toStdString();
    ASSERT_EQ(theirs.records.size(), written.size());
    // Our own reader gives every byte back, NEC codes included.
    ExpectSameRecords(LoadWithSiteStore(m_root.path()), written, {}, "our own load");

    for (std::size_t r = 0; r < written.size(); ++r) {
        for (std::size_t f = 0; f < 6; ++f) {
            const QByteArray &wine = theirs.records[r].*kRecordFields[f];
            const QByteArray &value = written[r].*kRecordFields[f];
            if (value.size() > kWindowsReadLimit)
                expectCutPrefix(wine, value, where(r, f));
            else
                EXPECT_EQ(wine, valueAt(r, f).wineReads.value_or(value)) << where(r, f);
        }
    }
}

} // namespace
