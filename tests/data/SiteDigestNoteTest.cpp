// The note of the register's sites, kept by every write through the register's one door: after each
// operation of the command line's kind and the window's, the note is good for the folder as it was
// left, names exactly the records that lead to each site, and stays within a few entries a record.
#include "LocalState.h"
#include "SiteDigestNote.h"
#include "TempRegister.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A site here is its URL without regard to case; the real one (SiteIdentity) lives above this layer.
quint64 byLowerUrl(const QByteArray &url)
{
    return url.isEmpty() ? 0 : (qHash(url.toLower()) | 1);
}

std::vector<int> truth(const SiteList &sites, const QByteArray &url, int except)
{
    std::vector<int> numbers;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        if (sites.number(i) != except && byLowerUrl(sites.at(i).GetUrl()) == byLowerUrl(url))
            numbers.push_back(sites.number(i));
    }
    return numbers;
}

TEST(SiteDigestNote, everyWriterKeepsItTrueAndSmall)
{
    SiteDigestNote::install(&byLowerUrl);
    TempRegister dir;
    SiteRegister window(QFile::encodeName(dir.path()));
    ASSERT_TRUE(window.open());
    FolderFiles cli(dir.path());
    SiteDigestNote note(cli.folder);
    ASSERT_TRUE(cli.files.add(MakeRecord("a", "http://a/")).done());
    note.rebuild(ReadRegister(dir.path()), cli.folder.changedAt());

    std::vector<SiteRecord> many;
    for (int i = 0; i < 100; ++i)
        many.push_back(MakeRecord("m", i % 2 ? "http://A/" : "http://other/"));
    const std::pair<const char *, std::function<void()>> steps[] = {
        {"add", [&] { cli.files.add(MakeRecord("b", "http://B/")); }},
        {"an import of more than are changed in place", [&] { cli.files.addMany(many); }},
        {"update to another site", [&] { cli.files.update(2, MakeRecord("b", "http://a/")); }},
        {"the window's add", [&] { window.add(MakeRecord("w", "http://w/")); }},
        {"the window's deletes of most, which leave the note written whole without them", [&] {
             // A few at a time (more go on threads of their own, after the note is left, and the
             // next add writes it anew).
             for (int from = 3; from < 93; from += 30) {
                 std::vector<std::pair<int, SiteRecord>> seen;
                 for (int number = from; number < from + 30; ++number)
                     seen.emplace_back(number, MakeRecord("m", number % 2 ? "http://other/" : "http://A/"));
                 window.removeMany(seen);
             }
         }},
        {"restore between two entries", [&] { cli.files.restore(50, MakeRecord("r", "http://A/")); }},
        {"a keyword set on several", [&] {
             cli.files.updateMany({{1, MakeRecord("a", "http://z/", "k"), MakeRecord("a", "http://a/")},
                                   {2, MakeRecord("b", "http://Z/", "k"), MakeRecord("b", "http://a/")}});
         }},
    };
    for (const auto &[what, step] : steps) {
        SCOPED_TRACE(what);
        step();
        const SiteList sites = ReadRegister(dir.path());
        ASSERT_TRUE(note.goodFor(cli.folder.changedAt()));
        for (std::size_t i = 0; i < sites.size(); ++i)
            EXPECT_EQ(note.candidates(sites.at(i).GetUrl(), sites.number(i)), truth(sites, sites.at(i).GetUrl(), sites.number(i)));
        const qint64 size = QFileInfo(LocalStateFile(cli.folder, QStringLiteral("sites"))).size();
        EXPECT_LE(size, 24 + 12 * (2 * qint64(sites.size()) + 1));
    }
    // Another program's change: the note is good for nothing until it is written anew, however
    // many writes of this program follow; written anew (as an add does), the next write keeps it,
    // though the folder's own note is still stale.
    WriteRecordFile(dir.file(QStringLiteral("data500.ini")), MakeRecord("x", "http://a/"));
    cli.files.add(MakeRecord("c", "http://c/"));
    EXPECT_FALSE(note.goodFor(cli.folder.changedAt()));
    WriteRecordFile(dir.file(QStringLiteral("data600.ini")), MakeRecord("y", "http://y/"));
    note.rebuild(ReadRegister(dir.path()), cli.folder.changedAt());
    ASSERT_TRUE(cli.files.update(1, MakeRecord("a", "http://y/")).done());
    EXPECT_TRUE(note.goodFor(cli.folder.changedAt()));
    EXPECT_EQ(note.candidates("http://y/", 0), std::vector<int>{1});
    SiteDigestNote::install(nullptr);
}

// Two spellings of one number (data2.ini and DATA2.INI, as a sync peer or a case-blind copy may
// leave): the note a take-in writes whole names the record a load reads under that number.
TEST(SiteDigestNote, namesTheSpellingALoadReads)
{
    SiteDigestNote::install(&byLowerUrl);
    TempRegister dir;
    dir.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=1\r\n"); // number 2 lies above the count
    WriteRecordFile(dir.file(QStringLiteral("data1.ini")), MakeRecord("a", "http://a/"));
    WriteRecordFile(dir.file(QStringLiteral("DATA2.INI")), MakeRecord("upper", "http://upper/"));
    WriteRecordFile(dir.file(QStringLiteral("data2.ini")), MakeRecord("lower", "http://lower/"));
    // A far number has the take-in survey every file, and so write the note whole.
    WriteRecordFile(dir.file(QStringLiteral("data2000000000.ini")), MakeRecord("far", "http://far/"));
    FolderFiles cli(dir.path());
    std::vector<ConflictCopy> copies;
    cli.files.takeIn(copies);
    const SiteList sites = ReadRegister(dir.path());
    SiteDigestNote note(cli.folder);
    ASSERT_TRUE(note.goodFor(cli.folder.changedAt()));
    for (std::size_t i = 0; i < sites.size(); ++i) {
        SCOPED_TRACE(sites.at(i).GetUrl().toStdString());
        EXPECT_EQ(note.candidates(sites.at(i).GetUrl(), 0), truth(sites, sites.at(i).GetUrl(), 0));
    }
    SiteDigestNote::install(nullptr);
}

// A copy of setting.ini (as Syncthing names one) raises the count over a record already there: that
// record is the register's now, and the note kept through the take-in names it.
TEST(SiteDigestNote, namesTheRecordsACopyOfTheCountBringsIn)
{
    SiteDigestNote::install(&byLowerUrl);
    TempRegister dir;
    dir.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=1\r\n");
    dir.write(QStringLiteral("setting.sync-conflict-20261207-144956-QBVMNFJ.ini"), "[SETTING]\r\nDATA_CNT=3\r\n");
    WriteRecordFile(dir.file(QStringLiteral("data1.ini")), MakeRecord("a", "http://a/"));
    WriteRecordFile(dir.file(QStringLiteral("data3.ini")), MakeRecord("c", "http://c/"));
    FolderFiles cli(dir.path());
    SiteDigestNote note(cli.folder);
    const Reading<LoadedRegister> before = cli.files.load();
    ASSERT_TRUE(before);
    note.rebuild(before.value.sites, before.value.changedAt);
    std::vector<ConflictCopy> copies;
    ASSERT_TRUE(cli.files.takeIn(copies).done());
    const SiteList sites = ReadRegister(dir.path());
    ASSERT_EQ(sites.size(), 2u);
    ASSERT_TRUE(note.goodFor(cli.folder.changedAt()));
    EXPECT_EQ(note.candidates("http://c/", 0), std::vector<int>{3});
    SiteDigestNote::install(nullptr);
}

} // namespace
