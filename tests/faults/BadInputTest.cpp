#include "CaseName.h"
#include "IniDocument.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "SiteStore.h"
#include "TempRegister.h"

#include <QFile>
#include <QRandomGenerator>

// Register files damaged or written by other tools: loading never crashes or hangs, the
// readable records still load, and what was loaded can be written back.
namespace {

const QByteArray kGoodFile = "[DATA]\r\nNAME=good\r\nURL=http://example.jp/\r\nKEY1=k\r\nKEY2=\r\nKEY3=\r\nINDATA=c\r\n";

// A literal's bytes, NULs included.
template <std::size_t N>
QByteArray Bytes(const char (&literal)[N])
{
    return QByteArray(literal, qsizetype(N - 1));
}

QByteArray garbage(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

struct BadFileCase
{
    const char *name;
    QByteArray bytes;                  // data2.ini, between two good data files
    QByteArray SiteRecord::*field;     // a field whose value is known, or nullptr
    QByteArray value;
};

class BadDataFile : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(BadDataFile, loadsTheRestAndIsWrittenBack)
{
    const BadFileCase &c = GetParam();
    TempRegister reg;
    reg.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=3\r\n");
    reg.write(QStringLiteral("data1.ini"), kGoodFile);
    reg.write(QStringLiteral("data2.ini"), c.bytes);
    reg.write(QStringLiteral("data3.ini"), kGoodFile);

    SiteStore store;
    const IoResult loaded = store.Load();
    ASSERT_TRUE(loaded) << loaded.describe().toStdString();
    ASSERT_EQ(store.m_sites.size(), 3u);
    const SiteRecord good = MakeRecord("good", "http://example.jp/", "k", "", "", "c");
    EXPECT_EQ(store.m_sites.at(0), good);
    EXPECT_EQ(store.m_sites.at(2), good);
    if (c.field) {
        const QByteArray &actual = store.m_sites.at(1).*c.field;
        EXPECT_TRUE(actual == c.value) << actual.size() << " bytes: " << actual.left(80).toHex().toStdString();
    }
    // What was loaded is written back and loads the same.
    RegisterFolder folder(QFile::encodeName(reg.path()));
    RegisterFiles files(folder);
    SiteRecord changed = store.m_sites.at(1);
    changed.m_keyword3 = "changed";
    const OperationResult updated = files.update(2, changed, &store.m_sites.at(1));
    ASSERT_TRUE(updated.done()) << updated.io.describe().toStdString();
    store.m_sites.replace(1, changed);
    SiteStore again;
    ASSERT_TRUE(again.Load());
    EXPECT_TRUE(again.m_sites == store.m_sites);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, BadDataFile,
    ::testing::Values(
        BadFileCase{"binary garbage", garbage(64 * 1024, 1), nullptr, {}},
        BadFileCase{"garbage after a good start", kGoodFile + garbage(4096, 2), &SiteRecord::m_name, "good"},
        BadFileCase{"NUL inside a value", Bytes("[DATA]\r\nNAME=ab\0cd\r\nURL=u\r\n"), &SiteRecord::m_name, "ab"},
        BadFileCase{"NUL bytes only", QByteArray(1000, '\0'), &SiteRecord::m_name, ""},
        BadFileCase{"15 MB value", "[DATA]\r\nNAME=big\r\nINDATA=" + QByteArray(15 << 20, 'x') + "\r\n",
                    &SiteRecord::m_content, QByteArray(15 << 20, 'x')},
        BadFileCase{"15 MB line without =", "[DATA]\r\nNAME=n\r\n" + QByteArray(15 << 20, '\x82'), &SiteRecord::m_name, "n"},
        BadFileCase{"lone lead byte at the end", "[DATA]\r\nNAME=x\x83", &SiteRecord::m_name, "x\x83"},
        BadFileCase{"lead byte before the line end", "[DATA]\r\nNAME=\x83\r\nURL=\x81\r\n", &SiteRecord::m_url, "\x81"},
        BadFileCase{"invalid trail bytes", "[DATA]\r\nNAME=\x81\x7F\xFD\xFE\xFF\xA0\r\n", &SiteRecord::m_name,
                    "\x81\x7F\xFD\xFE\xFF\xA0"},
        BadFileCase{"lead byte swallows ]", "[DATA\x83]\r\nNAME=hidden\r\n", &SiteRecord::m_name, ""},
        BadFileCase{"UTF-16LE cut to an odd length", Bytes("\xFF\xFE[\0D\0A\0T\0A\0]\0\n\0U\0R\0L\0=\0u\0x"),
                    &SiteRecord::m_url, "u"},
        BadFileCase{"UTF-16BE mark and one byte", Bytes("\xFE\xFF\x00"), &SiteRecord::m_name, ""},
        BadFileCase{"UTF-8 mark and invalid UTF-8", "\xEF\xBB\xBF[DATA]\r\nNAME=\xC3\x28\xFF\r\nURL=u\r\n",
                    &SiteRecord::m_url, "u"}),
    CaseName());

struct CountCase
{
    const char *name;
    const char *count;
    int expected; // with data1, data2, data2000000000, data2147483647 and data2147483648 present
                  // (a count that is no count shows every file a reader could open)
};

class CountLimit : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountLimit, loadsThePresentFilesWithinTheCountAtOnce)
{
    TempRegister reg;
    reg.write(QStringLiteral("setting.ini"), QByteArray("[SETTING]\r\nDATA_CNT=") + GetParam().count + "\r\n");
    for (const char *number : {"1", "2", "2000000000", "2147483647", "2147483648"})
        reg.write(QStringLiteral("data%1.ini").arg(QLatin1String(number)), QByteArray("[DATA]\r\nNAME=") + number + "\r\n");
    SiteStore store;
    ASSERT_TRUE(store.Load());
    ASSERT_EQ(int(store.m_sites.size()), GetParam().expected);
    for (int i = 1; i < GetParam().expected; ++i)
        EXPECT_LT(store.m_sites.at(std::size_t(i - 1)).m_name.toLongLong(), store.m_sites.at(std::size_t(i)).m_name.toLongLong());
}

INSTANTIATE_TEST_SUITE_P(BadInput, CountLimit,
                         ::testing::Values(CountCase{"two billion", "2000000000", 3},
                                           CountCase{"int limit", "2147483647", 4},
                                           CountCase{"one past the limit", "2147483648", 4},
                                           CountCase{"past 64 bits", "99999999999999999999999", 4},
                                           CountCase{"int minimum", "-2147483648", 4},
                                           CountCase{"binary garbage", "\x01\xFF\x80", 4}),
                         CaseName());

// Damaged files rewritten: every value reads the same from the rewritten file as from the
// damaged one (cases found by the fuzzer in fuzz/).
struct RewriteCase
{
    const char *name;
    QByteArray file;
    QByteArray section;
    QByteArray key;
};

class DamagedRewrite : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(DamagedRewrite, readsTheSameAfterARewrite)
{
    const RewriteCase &c = GetParam();
    const IniDocument damaged = IniDocument::parse(c.file);
    const QByteArray expected = damaged.value(c.section, c.key, "<absent>");
    ASSERT_NE(expected, "<absent>");
    EXPECT_EQ(IniDocument::parse(damaged.serialize()).value(c.section, c.key, "<absent>"), expected)
        << damaged.serialize().toHex(' ').toStdString();
    IniDocument edited = damaged;
    edited.setValue(c.section, c.key, "new");
    EXPECT_EQ(IniDocument::parse(edited.serialize()).value(c.section, c.key), "new");
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, DamagedRewrite,
    ::testing::Values(RewriteCase{"section name ending in a lone lead byte", "[\x83 ]\r\nK=v\r\n", "\x83", "K"},
                      RewriteCase{"lead byte then blank in a section name", "[DA\x88\t]\r\nNAME=n\r\n", "DA\x88", "NAME"},
                      RewriteCase{"UTF-8 mark behind a blank line", "\r\n\xEF\xBB\xBFX\r\n[S]\r\nK=\x82\xA0\r\n", "S", "K"},
                      RewriteCase{"UTF-16 mark behind a blank line", "\x0B\n\xFF\xFEX\r\n[S]\r\nK=v\r\n", "S", "K"},
                      RewriteCase{"blanks before a NUL in a value", Bytes("[S]\r\nK=v \t\0x\r\n"), "S", "K"},
                      RewriteCase{"blanks before a NUL in a name", Bytes("[S]\r\nK\v\v\0=v\r\n"), "S", "K"}),
    CaseName());

TEST(BadInput, newNamesAreWrittenAsTheyAreLookedUp)
{
    IniDocument file;
    file.setValue("DA\x88", "KEY2", "v"); // a section named with a lone lead byte
    EXPECT_EQ(IniDocument::parse(file.serialize()).value("DA\x88", "KEY2"), "v");
    IniDocument blanks;
    blanks.setValue(" S\t", " K ", "v");
    EXPECT_EQ(blanks.value("S", "K"), "v");
    EXPECT_EQ(blanks.serialize(), "[S]\r\nK=v\r\n");
}

} // namespace
