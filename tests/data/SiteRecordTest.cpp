#include "IniDocument.h"
#include "SiteDates.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(SiteRecord, newAndClearedRecordsAreValidAndEmpty)
{
    SiteRecord record = MakeRecord("名前", "http://a/", "k1", "k2", "k3", "内容");
    const SiteRecord fresh;
    EXPECT_EQ(fresh.GetValid(), 1);
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

namespace {

// The dates in a data file's own section: what is read back from a file as written, and what a
// record writes into a file that already holds text.
struct DatesCase {
    const char *name;
    QByteArray fileBefore;
    std::int64_t added, changed; // the record written, or -1: nothing written, the file only read
    QByteArray fileAfter;        // the file after the write ("" when nothing is written)
    std::int64_t readAdded, readChanged;
};

const QByteArray kPlain = "[DATA]\r\nNAME=A\r\nURL=http://a/\r\nKEY1=\r\nKEY2=\r\nKEY3=\r\nINDATA=\r\n";

TEST(SiteRecordDates, areTiedToTheUrlTheyWereWrittenFor)
{
    const QByteArray digestA = DatesUrlDigest("http://a/");
    const QByteArray digestB = DatesUrlDigest("http://b/");
    const std::int64_t t1 = 1765288707; // 2025-12-09T13:58:27Z
    const std::int64_t t2 = 1796824707;
    const QByteArray own = "[SITEKANRI]\r\nADDED=2025-12-09T13:58:27Z\r\nCHANGED=2026-12-09T13:58:27Z\r\nDATESURL=";
    const DatesCase cases[] = {
        {"written and read back", kPlain, t1, t2, kPlain + own + digestA + "\r\n", t1, t2},
        {"a record without dates leaves a plain file as it was", kPlain, 0, 0, kPlain, 0, 0},
        {"dates of another URL are unknown", kPlain + own + digestB + "\r\n", -1, -1, "", 0, 0},
        {"and cleared at the next write", kPlain + own + digestB + "\r\n", 0, 0,
         kPlain + "[SITEKANRI]\r\nADDED=\r\nCHANGED=\r\nDATESURL=\r\n", 0, 0},
        {"no digest: unknown", kPlain + "[SITEKANRI]\r\nADDED=2025-12-09T13:58:27Z\r\n", -1, -1, "", 0, 0},
        {"a time that is not one: unknown", kPlain + "[SITEKANRI]\r\nADDED=yesterday\r\nCHANGED=2026-12-09T13:58:27Z\r\nDATESURL=" + digestA + "\r\n", -1, -1, "", 0, t2},
        {"a time with an offset is read as the moment it names",
         kPlain + "[SITEKANRI]\r\nADDED=2025-12-09T22:58:27+09:00\r\nDATESURL=" + digestA + "\r\n", -1, -1, "", t1, 0},
        {"a time without a zone is UTC",
         kPlain + "[SITEKANRI]\r\nADDED=2025-12-09T13:58:27\r\nDATESURL=" + digestA + "\r\n", -1, -1, "", t1, 0},
        {"the take-in mark beside the dates stays",
         kPlain + "[SITEKANRI]\r\nTAKENIN=3\r\n", t1, 0,
         kPlain + "[SITEKANRI]\r\nTAKENIN=3\r\nADDED=2025-12-09T13:58:27Z\r\nCHANGED=\r\nDATESURL=" + digestA + "\r\n", t1, 0},
    };
    for (const DatesCase &c : cases) {
        SCOPED_TRACE(c.name);
        IniDocument file = IniDocument::parse(c.fileBefore);
        if (c.added >= 0) {
            SiteRecord record = MakeRecord("A", "http://a/");
            record.SetDates(c.added, c.changed);
            record.WriteTo(file);
            EXPECT_EQ(file.serialize(), c.fileAfter);
        }
        SiteRecord read;
        read.ReadFrom(IniDocument::parse(file.serialize()));
        EXPECT_EQ(read.GetAdded(), c.readAdded);
        EXPECT_EQ(read.GetChanged(), c.readChanged);
    }
}

// What a write dates: a new record now unless it brings its own dates; an edit keeps the added date
// and dates the change now only where a text changed.
TEST(SiteRecordDates, aWriteDatesWhatItMakesOrChanges)
{
    const std::int64_t added = 1765288707, changed = 1780000000, now = 1796824707;
    SiteRecord before = MakeRecord("A", "http://a/");
    before.SetDates(added, changed);
    SiteRecord renamed = before;
    renamed.SetName(QByteArrayLiteral("B"));
    SiteRecord undated = before;
    undated.SetDates(0, 0);
    const struct
    {
        const char *what;
        SiteRecord written;
        std::int64_t added, changed;
    } rows[] = {
        {"a new record without dates", StampedNew(undated, now), now, now},
        {"a new record with its own (a bookmark's)", StampedNew(before, now), added, changed},
        {"an edit of the name", StampedEdit(renamed, before, now), added, now},
        {"an edit that changes no text", StampedEdit(before, before, now), added, changed},
        {"an edit of a record of unknown dates", StampedEdit(renamed, undated, now), 0, now},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(row.written.GetAdded(), row.added) << row.what;
        EXPECT_EQ(row.written.GetChanged(), row.changed) << row.what;
    }
}

} // namespace
