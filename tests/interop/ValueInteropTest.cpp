// Awkward field values in both directions between the Windows profile functions and our register files.
#include "InteropSupport.h"
#include "ProfileOracle.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// The Windows reader hands back at most this many bytes of a value (a 4096-byte buffer).
constexpr qsizetype kWindowsReadLimit = 4095;

struct AwkwardValue
{
    const char *name;
    QByteArray value;
    // What Wine's reader returns for our file when that is not the value itself: it reads the
    // file through the code page's Unicode mapping, which turns NEC-selected IBM codes into the
    // IBM ones and NEC's duplicates of JIS symbols into the JIS codes. Same characters, other
    // bytes; our own reader keeps the bytes.
    std::optional<QByteArray> wineReads = std::nullopt;
};

const std::vector<AwkwardValue> &awkwardValues()
{
    static const std::vector<AwkwardValue> table{
        {"japanese", Sjis("サイト管理のテスト")},
        {"half-width katakana", Sjis("ｷｰﾜｰﾄﾞ ｶﾀｶﾅ")},
        {"semicolon", QByteArray("a;b ; not a comment")},
        {"leading semicolon", QByteArray(";looks commented")},
        {"equals", QByteArray("key=value=more")},
        {"leading equals", QByteArray("=x")},
        {"brackets", QByteArray("[x]")},
        {"hash", QByteArray("#KEY1=hash")},
        {"double-quoted", QByteArray("\"quoted\"")},
        {"single-quoted", QByteArray("'single'")},
        {"lone leading quote", QByteArray("\"only-leading")},
        {"lone trailing quote", QByteArray("only-trailing'")},
        {"one quote", QByteArray("\"")},
        {"two quotes", QByteArray("\"\"")},
        {"mixed quotes", QByteArray("'x\"")},
        {"quoted with inner blanks", QByteArray("\"  padded  \"")},
        {"blanks at both ends", QByteArray("  both ends  ")},
        {"blanks only", QByteArray("   ")},
        {"tabs at both ends", QByteArray("\tlead tab and trail tab\t")},
        {"inner tab", QByteArray("a\tb")},
        {"quote then blank", QByteArray("\"q\" ")},
        {"5000 ascii bytes", QByteArray("0123456789").repeated(500)},
        {"5000 bytes of double-byte text", Sjis("あ").repeated(2500)},
        {"ends in zo, trail byte ]", Sjis("ゾ")},
        {"ends in hyo, trail byte backslash", Sjis("一覧表")},
        {"ends in so, trail byte backslash", Sjis("ソ")},
        {"trailing backslash", QByteArray("C:\\dir\\")},
        {"empty", QByteArray()},
        {"full-width spaces", Sjis("　全角　")},
        {"NEC special and IBM extension", QByteArray("\x87\x40\xFA\x40\xFA\x5C")},
        {"NEC-selected IBM extension", QByteArray("\xED\x40"), QByteArray("\xFA\x5C")},
        {"NEC row 13 duplicate", QByteArray("\x87\x90"), QByteArray("\x81\xE0")},
        {"wave dash and full-width backslash", QByteArray("\x81\x60\x81\x5F")},
    };
    return table;
}

// One record per value; the fields rotate through the table so that every key holds every value.
std::vector<SiteRecord> awkwardRecords()
{
    const auto &table = awkwardValues();
    std::vector<SiteRecord> records(table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        for (std::size_t f = 0; f < 6; ++f)
            records[i].*kSiteFields[f] = table[(i + f) % table.size()].value;
    }
    return records;
}

const AwkwardValue &valueAt(std::size_t record, std::size_t field)
{
    return awkwardValues()[(record + field) % awkwardValues().size()];
}

std::string where(std::size_t record, std::size_t field)
{
    return std::string("record ") + std::to_string(record + 1) + " " + kSiteKeys[field] + " (" +
        valueAt(record, field).name + ")";
}

// The Windows reader cuts long values, at the last whole character within its limit.
void expectCutPrefix(const QByteArray &cut, const QByteArray &whole, const std::string &context)
{
    EXPECT_TRUE(whole.startsWith(cut)) << context << ": " << Shown(cut) << " is no prefix of " << Shown(whole);
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
            const QByteArray &mine = ours[r].*kSiteFields[f];
            const QByteArray &wine = theirs.records[r].*kSiteFields[f];
            const QByteArray &value = written[r].*kSiteFields[f];
            if (value.size() > kWindowsReadLimit) {
                // The long values have no blanks or quotes at their ends, so whole they read as written.
                ++cut;
                EXPECT_EQ(Shown(mine), Shown(value)) << where(r, f);
                expectCutPrefix(wine, mine, where(r, f));
            } else {
                EXPECT_EQ(Shown(mine), Shown(wine)) << where(r, f);
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
            const QByteArray &wine = theirs.records[r].*kSiteFields[f];
            const QByteArray &value = written[r].*kSiteFields[f];
            if (value.size() > kWindowsReadLimit)
                expectCutPrefix(wine, value, where(r, f));
            else
                EXPECT_EQ(Shown(wine), Shown(valueAt(r, f).wineReads.value_or(value))) << where(r, f);
        }
    }
}

} // namespace
