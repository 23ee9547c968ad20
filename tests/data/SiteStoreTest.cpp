#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "SiteStore.h"
#include "TempRegister.h"

#include <QFileInfo>

#include <gtest/gtest.h>


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

TEST(SiteStore, addedRecordsLoadBackWithTheirNumbers)
{
    TempRegister reg;
    std::vector<SiteRecord> records{
        MakeRecord("サイト管理", "http://example.jp/", "全てのキーワード", "ｷｰﾜｰﾄﾞ", "", "説明"),
        MakeRecord("  blanks  ", "\"quoted\"", "'s'", "a;b", "[x]", ""), MakeRecord("", "", "", "", "", "")};
    SiteRecord longValue = MakeRecord("long", "u");
    longValue.m_content = QByteArray(5000, 'z') + "\x82\xA0";
    records.push_back(longValue);
    AddRecords(reg.path(), records);
    EXPECT_EQ(reg.read(QStringLiteral("setting.ini")), "[SETTING]\r\nDATA_CNT=4\r\n");

    SiteStore loaded;
    ASSERT_TRUE(loaded.Load());
    ASSERT_EQ(loaded.m_sites.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(loaded.m_sites.at(i), records[i]);
        EXPECT_EQ(loaded.m_sites.number(i), int(i) + 1);
    }
}

// New data files: the keys in order, CRLF, numbers without leading zeros.
TEST(SiteStore, newDataFileBytes)
{
    TempRegister reg;
    std::vector<SiteRecord> records;
    for (int i = 0; i < 11; ++i)
        records.push_back(MakeRecord(QByteArray::number(i).constData(), "u"));
    AddRecords(reg.path(), records);
    EXPECT_EQ(reg.read(QStringLiteral("data10.ini")), dataFile("9"));
    EXPECT_EQ(reg.read(QStringLiteral("data11.ini")), dataFile("10"));
    EXPECT_FALSE(reg.exists(QStringLiteral("data01.ini")));
}

TEST(SiteStore, countParsesLikeAtoiHeldToIntRange)
{
    const std::tuple<const char *, int, bool> cases[] = {
        {" 7", 7, true},   {"7abc", 7, true},    {"+2", 2, true},  {"-2", -2, true},  {"", 0, false},
        {"abc", 0, false}, {"2.9", 2, true},     {"0x3", 0, true}, {" \t12xyz", 12, true}, {"-0", 0, true},
        {"2147483647", INT_MAX, true}, {"2147483648", INT_MAX, true}, {"-99999999999", INT_MIN, true},
        {"- 1", 0, false}, {"\x82Q", 0, false}, // full-width 2
    };
    for (const auto &[text, expected, number] : cases) {
        bool hasNumber = !number;
        EXPECT_EQ(ParseRecordCount(text, &hasNumber), expected) << text;
        EXPECT_EQ(hasNumber, number) << text;
    }
}

TEST(SiteStore, nulInAFileLoadsCutAndIsRewrittenWithoutIt)
{
    TempRegister reg;
    reg.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=1\r\n");
    reg.write(QStringLiteral("data1.ini"), QByteArray("[DATA]\r\nNAME=kept\0lost\r\nURL=u\r\n", 31));
    SiteStore store;
    ASSERT_TRUE(store.Load());
    EXPECT_EQ(loadedNames(store), QStringList{QStringLiteral("kept")});
    RegisterFolder folder(QFile::encodeName(reg.path()));
    RegisterFiles files(folder);
    EXPECT_TRUE(files.update(1, store.m_sites.at(0), &store.m_sites.at(0)).done());
    EXPECT_EQ(reg.read(QStringLiteral("data1.ini")), "[DATA]\r\nNAME=kept\r\nURL=u\r\nKEY1=\r\nKEY2=\r\nKEY3=\r\nINDATA=\r\n");
}

// A register file that exists but cannot be read as one fails the load, naming it.
TEST(SiteStore, registerFileThatCannotBeReadFailsTheLoad)
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
    TempRegister reg;
    ASSERT_TRUE(QDir(reg.path()).mkdir(QStringLiteral("setting.ini")));
    SiteStore store;
    EXPECT_EQ(store.Load().file, reg.file(QStringLiteral("setting.ini")));
}

} // namespace
