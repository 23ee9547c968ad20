#include "RegisterFiles.h"
#include "SiteStore.h"
#include "TempRegister.h"


#include <gtest/gtest.h>


namespace {

QByteArray dataFile(const char *name)
{
    return QByteArray("[DATA]\r\nNAME=") + name + "\r\nURL=u\r\nKEY1=\r\nKEY2=\r\nKEY3=\r\nINDATA=\r\n";
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

} // namespace
