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

TEST(SiteList, guardedAccessRaisesTheStandardMessage)
{
    SiteList list;
    for (const char *name : {"A", "B", "C", "D"})
        list.push_back(MakeRecord(name, "u"));
    list.replace(1, MakeRecord("B2", "u2"));
    EXPECT_EQ(list.at(1).GetName(), "B2");
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

} // namespace
