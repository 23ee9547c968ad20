#include "BookmarkDates.h"
#include "BookmarkExport.h"
#include "ImportPlan.h"
#include "SiteList.h"

#include <QBuffer>
#include <QMap>

#include <gtest/gtest.h>

namespace {

TEST(BookmarkDates, secondsMillisecondsAndMicrosecondsAllReadAsSeconds)
{
    const struct
    {
        const char *attribute;
        std::int64_t seconds;
    } rows[] = {
        {"1700000000", 1700000000},
        {" 1700000000 ", 1700000000},
        {"1700000000123", 1700000000},       // milliseconds
        {"1700000000123456", 1700000000},    // microseconds
        {"32503680000", 32503680000},        // the year 3000 to the second: still seconds
        {"32503680001", 32503680},           // past it: milliseconds
        {"999999999999999999", 0},           // past the year 3000 in every unit
        {"1234567890123456789", 0},          // more digits than any time has
        {"0", 0},
        {"-5", 0},
        {"17e8", 0},
        {"", 0},
    };
    for (const auto &row : rows) {
        const QByteArray attribute(row.attribute);
        EXPECT_EQ(BookmarkSeconds(&attribute), row.seconds) << row.attribute;
    }
    EXPECT_EQ(BookmarkSeconds(nullptr), 0);
}

// A Firefox export (seconds, LAST_MODIFIED on some links, one link without dates) and a
// Chromium-style one in microseconds, as an exporter of its profile writes it.
const char kFirefox[] = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                        "<DL><p>\n<DT><H3 ADD_DATE=\"1600000000\" LAST_MODIFIED=\"1600000050\">技術</H3>\n<DL><p>\n"
                        "<DT><A HREF=\"https://a.test/\" ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000100\">A</A>\n"
                        "<DT><A HREF=\"https://b.test/\" ADD_DATE=\"1700000200\">B</A>\n"
                        "</DL><p>\n<DT><A HREF=\"https://c.test/\">C</A>\n"
                        "<DT><A HREF=\"https://d.test/\" LAST_MODIFIED=\"1700000400\">D</A>\n</DL><p>\n";
const char kChromium[] = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
                         "<DT><A HREF=\"https://e.test/\" ADD_DATE=\"1650000000123456\" LAST_MODIFIED=\"1650000999654321\">E</A>\n"
                         "<DT><A HREF=\"https://f.test/\" add_date=\"1650001000999999\" ICON=\"data:image/png;base64,AAAA\">F</A>\n"
                         "</DL><p>\n";

using Dates = QMap<QByteArray, std::pair<std::int64_t, std::int64_t>>;

Dates importedDates(const QByteArray &file, SiteList *sites = nullptr)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    const BookmarkImport import = PlanBookmarkImport(buffer, {});
    EXPECT_TRUE(import.read.ok) << import.read.message.toStdString();
    Dates dates;
    for (const SiteRecord &record : import.plan.records) {
        dates.insert(record.GetUrl(), {record.GetAdded(), record.GetChanged()});
        if (sites)
            sites->push_back(record);
    }
    return dates;
}

TEST(BookmarkDates, aBrowsersFileImportedExportedAndImportedAgainKeepsEveryDate)
{
    const struct
    {
        const char *file;
        Dates dates;
    } rows[] = {
        {kFirefox,
         {{"https://a.test/", {1700000000, 1700000100}},
          {"https://b.test/", {1700000200, 1700000200}}, // never changed: changed when added
          {"https://c.test/", {0, 0}},
          {"https://d.test/", {0, 1700000400}}}},
        {kChromium, {{"https://e.test/", {1650000000, 1650000999}}, {"https://f.test/", {1650001000, 1650001000}}}},
    };
    for (const auto &row : rows) {
        SiteList first;
        EXPECT_EQ(importedDates(row.file, &first), row.dates) << row.file;
        const QByteArray exported = ExportBookmarks(first);
        EXPECT_EQ(importedDates(exported), row.dates) << exported.toStdString();
        // An unknown date is left out, never written as 1970.
        EXPECT_FALSE(exported.contains("=\"0\"")) << exported.toStdString();
    }
}

TEST(BookmarkDates, exportWritesWholeSeconds)
{
    SiteList sites;
    SiteRecord record;
    record.SetName("A");
    record.SetUrl("https://a.test/");
    record.SetDates(1700000000, 1700000100);
    sites.push_back(record);
    EXPECT_NE(ExportBookmarks(sites).indexOf("<A HREF=\"https://a.test/\" ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000100\">"), -1)
        << ExportBookmarks(sites).toStdString();
}

} // namespace
