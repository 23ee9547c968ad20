#include "RegisterFiles.h"
#include "SiteStore.h"
#include "TempRegister.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QByteArray dataFile(const char *name)
{
    return QByteArray("[DATA]\r\nNAME=") + name + "\r\nURL=u\r\nKEY1=\r\nKEY2=\r\nKEY3=\r\nINDATA=\r\n";
}

QStringList loadedNames(const SiteStore &store)
{
    QStringList names;
    for (const SiteRecord &record : store.m_sites)
        names << QString::fromLatin1(record.GetName());
    return names;
}

ino_t inode(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_ino;
}

TEST(SiteStore, saveThenLoad_keepsRecordsAndOrder)
{
    TempRegister reg;
    SiteStore saved;
    saved.m_sites.push_back(MakeRecord("サイト管理", "http://example.jp/", "全てのキーワード", "ｷｰﾜｰﾄﾞ", "", "説明"));
    saved.m_sites.push_back(MakeRecord("  blanks  ", "\"quoted\"", "'s'", "a;b", "[x]", ""));
    saved.m_sites.push_back(MakeRecord("", "", "", "", "", ""));
    SiteRecord longValue = MakeRecord("long", "u");
    longValue.m_content = QByteArray(5000, 'z') + "\x82\xA0";
    saved.m_sites.push_back(longValue);
    ASSERT_TRUE(saved.Save());
    EXPECT_EQ(reg.read(QStringLiteral("setting.ini")), "[SETTING]\r\nDATA_CNT=4\r\n");

    SiteStore loaded;
    ASSERT_TRUE(loaded.Load());
    EXPECT_EQ(loaded.m_sites, saved.m_sites);
}

TEST(SiteStore, gapsLoadInOrderAndSaveRenumbersFromOne)
{
    TempRegister reg;
    reg.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=3\r\n");
    reg.write(QStringLiteral("data1.ini"), dataFile("one"));
    reg.write(QStringLiteral("data3.ini"), dataFile("three"));
    SiteStore store;
    ASSERT_TRUE(store.Load());
    EXPECT_EQ(loadedNames(store), (QStringList{QStringLiteral("one"), QStringLiteral("three")}));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(reg.read(QStringLiteral("data2.ini")), dataFile("three"));
    EXPECT_EQ(reg.read(QStringLiteral("data3.ini")), dataFile("three")); // left alone, above the count
    EXPECT_EQ(reg.read(QStringLiteral("setting.ini")), "[SETTING]\r\nDATA_CNT=2\r\n");
}

TEST(SiteStore, emptyListSavesOnlyTheCount)
{
    TempRegister reg;
    reg.write(QStringLiteral("data1.ini"), dataFile("old"));
    SiteStore store;
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(reg.read(QStringLiteral("setting.ini")), "[SETTING]\r\nDATA_CNT=0\r\n");
    EXPECT_EQ(reg.read(QStringLiteral("data1.ini")), dataFile("old"));
    SiteStore reloaded;
    ASSERT_TRUE(reloaded.Load());
    EXPECT_TRUE(reloaded.m_sites.empty());
}

// New data files: the keys in order, CRLF, numbers without leading zeros.
TEST(SiteStore, newDataFileBytes)
{
    TempRegister reg;
    SiteStore store;
    for (int i = 0; i < 11; ++i)
        store.m_sites.push_back(MakeRecord(QByteArray::number(i).constData(), "u"));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(reg.read(QStringLiteral("data10.ini")), dataFile("9"));
    EXPECT_EQ(reg.read(QStringLiteral("data11.ini")), dataFile("10"));
    EXPECT_FALSE(reg.exists(QStringLiteral("data01.ini")));
}

// The count as setting.ini gives it; data1.ini … data8.ini are present.
TEST(SiteStore, loadsWhatTheCountCovers)
{
    const std::pair<const char *, int> cases[] = {
        {"[SETTING]\r\nDATA_CNT=\" 7\"\r\n", 7}, {"[SETTING]\r\nDATA_CNT=-2\r\n", 8}, {"[setting]\ndata_cnt=3\n", 3},
        {"DATA_CNT=3\r\n", 8}, {"[SETTING]\r\nOTHER=1\r\n", 8}, {"[SETTING]\r\nDATA_CNT=99999999999999999999\r\n", 8},
        {nullptr, 8}, // no setting.ini: damaged, shown whole
    };
    for (const auto &[setting, expected] : cases) {
        TempRegister reg;
        if (setting)
            reg.write(QStringLiteral("setting.ini"), setting);
        for (int i = 1; i <= 8; ++i)
            reg.write(QStringLiteral("data%1.ini").arg(i), dataFile(QByteArray::number(i).constData()));
        SiteStore store;
        ASSERT_TRUE(store.Load());
        EXPECT_EQ(int(store.m_sites.size()), expected) << (setting ? setting : "no setting.ini");
    }
}

TEST(SiteStore, countParsesLikeAtoiHeldToIntRange)
{
    const std::pair<const char *, int> cases[] = {
        {" 7", 7}, {"7abc", 7}, {"+2", 2}, {"-2", -2}, {"", 0}, {"abc", 0}, {"2.9", 2}, {"0x3", 0}, {" \t12xyz", 12},
        {"-0", 0}, {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"-99999999999", INT_MIN}, {"\x82Q", 0}, // full-width 2
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(ParseRecordCount(text), expected) << text;
}

TEST(SiteStore, oddDataFilesArePassedOverOrReadEmpty)
{
    TempRegister reg;
    reg.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=5\r\n");
    reg.write(QStringLiteral("data1.ini"), dataFile("a"));
    ASSERT_TRUE(QDir(reg.path()).mkdir(QStringLiteral("data2.ini"))); // a folder counts as missing
    reg.write(QStringLiteral("data3.ini"), "");                        // empty: six empty fields
    reg.write(QStringLiteral("data03.ini"), dataFile("zero"));         // not a name the register uses
    reg.write(QStringLiteral("data6.ini"), dataFile("above"));         // above the count
    SiteStore store;
    ASSERT_TRUE(store.Load());
    ASSERT_EQ(store.m_sites.size(), 2u);
    EXPECT_EQ(store.m_sites.at(1), SiteRecord());
}

TEST(SiteStore, unchangedSaveRewritesNothing)
{
    TempRegister reg;
    reg.write(QStringLiteral("setting.ini"), "[SETTING]\nDATA_CNT=2\n");
    reg.write(QStringLiteral("data1.ini"), "[DATA]\nNAME=a\nURL=u\nKEY1=\nKEY2=\nKEY3=\nINDATA=\n");
    reg.write(QStringLiteral("data2.ini"), dataFile("b"));
    const ino_t before[] = {inode(reg.file(QStringLiteral("setting.ini"))), inode(reg.file(QStringLiteral("data1.ini")))};
    SiteStore store;
    ASSERT_TRUE(store.Load());
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(inode(reg.file(QStringLiteral("setting.ini"))), before[0]);
    EXPECT_EQ(inode(reg.file(QStringLiteral("data1.ini"))), before[1]);
    EXPECT_EQ(reg.read(QStringLiteral("data1.ini")), "[DATA]\nNAME=a\nURL=u\nKEY1=\nKEY2=\nKEY3=\nINDATA=\n");
}

TEST(SiteStore, lineBreakRefusesTheWholeSave)
{
    TempRegister reg;
    SiteStore store;
    store.m_sites.push_back(MakeRecord("a", "u"));
    store.m_sites.push_back(MakeRecord("b", "u", "", "", "", "two\nlines"));
    const IoResult result = store.Save();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.file, reg.file(QStringLiteral("data2.ini")));
    EXPECT_TRUE(QDir(reg.path()).isEmpty());
}

TEST(SiteStore, nulInAFileLoadsCutAndSavesAgain)
{
    TempRegister reg;
    reg.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=1\r\n");
    reg.write(QStringLiteral("data1.ini"), QByteArray("[DATA]\r\nNAME=kept\0lost\r\nURL=u\r\n", 31));
    SiteStore store;
    ASSERT_TRUE(store.Load());
    EXPECT_EQ(loadedNames(store), QStringList{QStringLiteral("kept")});
    EXPECT_TRUE(store.Save());
    EXPECT_EQ(reg.read(QStringLiteral("data1.ini")), "[DATA]\r\nNAME=kept\r\nURL=u\r\nKEY1=\r\nKEY2=\r\nKEY3=\r\nINDATA=\r\n");
}

TEST(SiteStore, unreadableSettingFailsTheLoad)
{
    TempRegister reg;
    ASSERT_TRUE(QDir(reg.path()).mkdir(QStringLiteral("setting.ini")));
    SiteStore store;
    const IoResult result = store.Load();
    EXPECT_FALSE(result);
    EXPECT_EQ(result.file, reg.file(QStringLiteral("setting.ini")));
}

// A pipe or a device in a register file's place fails the load instead of blocking or
// reading without end.
TEST(SiteStore, registerFileThatIsNoRegularFileFailsTheLoad)
{
    for (const char *name : {"setting.ini", "data1.ini"}) {
        TempRegister reg;
        reg.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=1\r\n");
        const QString path = reg.file(QString::fromLatin1(name));
        QFile::remove(path);
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), path));
        SiteStore store;
        const IoResult result = store.Load();
        EXPECT_FALSE(result) << name;
        EXPECT_EQ(result.file, path);
        EXPECT_TRUE(store.m_sites.empty()) << name;
    }
}

} // namespace
