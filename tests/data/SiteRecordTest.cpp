#include "SiteList.h"
#include "SiteRecord.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(SiteRecord, newAndClearedRecordsAreValidAndEmpty)
{
    SiteRecord record = MakeRecord("名前", "http://a/", "k1", "k2", "k3", "内容");
    record.m_valid = 0;
    const SiteRecord fresh;
    EXPECT_EQ(fresh.m_valid, 1);
    record.Clear();
    EXPECT_EQ(record, fresh);
    EXPECT_TRUE(record.GetName().isEmpty() && record.GetContent().isEmpty());
}

TEST(SiteRecord, copyAndAssignmentCarryEveryField)
{
    SiteRecord source = MakeRecord("サイト管理", "http://例.jp/", "ｷｰ", "", "k3", "説明");
    source.m_valid = 7; // copied along, whatever it holds
    const SiteRecord copy(source);
    SiteRecord assigned;
    assigned = source;
    EXPECT_EQ(copy, source);
    EXPECT_EQ(assigned, source);
    assigned = assigned; // self-assignment changes nothing
    EXPECT_EQ(assigned, source);
}

TEST(SiteList, guardedAccessRaisesTheStandardMessage)
{
    SiteList list;
    EXPECT_EQ(list.size(), 0u);
    for (const char *name : {"A", "B", "C", "D"})
        list.push_back(MakeRecord(name, "u"));
    EXPECT_EQ(list.at(3).GetName(), "D");
    for (std::size_t bad : {std::size_t(4), std::size_t(100), std::size_t(-1)}) {
        try {
            (void)list.at(bad);
            FAIL() << "no exception at " << bad;
        } catch (const std::out_of_range &error) {
            EXPECT_STREQ(error.what(), "invalid vector<T> subscript");
        }
    }
}

TEST(SiteList, appendKeepsOrderAndAssignmentReplacesEverything)
{
    SiteList list;
    for (const char *name : {"A", "B", "C"})
        list.push_back(MakeRecord(name, "u"));
    list.replace(1, MakeRecord("B2", "u2"));
    EXPECT_EQ(list.at(0).GetName(), "A");
    EXPECT_EQ(list.at(1).GetName(), "B2");
    EXPECT_EQ(list.at(2).GetName(), "C");

    SiteList other;
    other.push_back(MakeRecord("X", "x"));
    list.clear();
    list = other;
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.at(0).GetName(), "X");
}

TEST(SiteRecord, fileRoundTripAndMissingKeysKeepFields)
{
    TempRegister reg;
    const SiteRecord written = MakeRecord(" 名 ", "\"u\"", "", "ｷｰﾜｰﾄﾞ", "表示", "a;b=c");
    ASSERT_TRUE(written.SaveToFile(reg.file(QStringLiteral("data1.ini"))));
    SiteRecord read;
    ASSERT_TRUE(read.LoadFromFile(reg.file(QStringLiteral("data1.ini"))));
    EXPECT_EQ(read, written);

    reg.write(QStringLiteral("data2.ini"), "[DATA]\r\nNAME=only name\r\n");
    SiteRecord partial = MakeRecord("old", "old url");
    ASSERT_TRUE(partial.LoadFromFile(reg.file(QStringLiteral("data2.ini"))));
    EXPECT_EQ(partial.GetName(), "only name");
    EXPECT_EQ(partial.GetUrl(), "old url"); // the field's value is the default
}

TEST(SiteRecord, lineBreakIsRefusedAndNothingWritten)
{
    TempRegister reg;
    const SiteRecord broken = MakeRecord("a\r\nb", "u");
    const IoResult result = broken.SaveToFile(reg.file(QStringLiteral("data1.ini")));
    EXPECT_FALSE(result);
    EXPECT_TRUE(result.reason.contains(QStringLiteral("NAME")));
    EXPECT_FALSE(reg.exists(QStringLiteral("data1.ini")));
}

} // namespace
