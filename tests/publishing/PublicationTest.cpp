#include "Publication.h"
#include "RegionCode.h"
#include "SiteList.h"
#include "TempRegister.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

// Publishing the pages of a list into a site folder: what is written, what is left alone and why.
namespace {

QByteArray markedPage(const char *marker)
{
    return QByteArray("<!DOCTYPE html>\n<meta charset=\"utf-8\">\n<p>\xE6\x89\x8B\xE6\x9B\xB8\xE3\x81\x8D</p>\n") + marker
        + "\n<!-- /sitekanri -->\n";
}

// A file's modification time to the nanosecond and its inode: what upload tools compare.
std::pair<qint64, qint64> stamp(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {-1, -1};
    return {qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec, qint64(status.st_ino)};
}

struct Site
{
    Site()
    {
        sites.push_back(MakeRecord("東京新聞", "http://tokyo.example/", "ニュース"));
        sites.push_back(MakeRecord("台所", "http://food.example/", "料理"));
        site.write(QStringLiteral("news.html"), markedPage("<!-- sitekanri keyword=\"ニュース\" -->"));
        site.write(QStringLiteral("food.html"), markedPage("<!-- sitekanri keyword=\"料理\" mode=\"content\" -->"));
        site.write(QStringLiteral("all.html"), markedPage("<!-- sitekanri sections contents -->"));
        for (const char *name : {"news.html", "food.html", "all.html"})
            entries.push_back({PageEntry::Kind::Marked, site.file(QLatin1String(name)), {}, {}});
    }
    Publication publish(bool write = true) const
    {
        Publication publication = Publication::plan(entries, LinkSource(sites, {}, QDate(2026, 12, 9)));
        if (write)
            publication.write();
        return publication;
    }

    TempRegister site;
    SiteList sites;
    std::vector<PageEntry> entries;
};

using Status = PublishedFile::Status;

std::vector<Status> statuses(const Publication &publication)
{
    std::vector<Status> all;
    for (const PublishedFile &file : publication.files())
        all.push_back(file.status);
    return all;
}

TEST(Publication, nothingChangedWritesNothingAndAnAddChangesOnlyThePagesOfItsKeyword)
{
    Site s;
    const Publication first = s.publish();
    ASSERT_EQ(statuses(first), (std::vector<Status>{Status::Changed, Status::Changed, Status::Changed}));
    for (const PublishedFile &file : first.files()) {
        EXPECT_TRUE(file.written);
        EXPECT_EQ(file.size, ReadFile(file.path).size());
    }
    std::map<QString, std::pair<qint64, qint64>> stamps;
    for (const PageEntry &entry : s.entries)
        stamps[entry.path] = stamp(entry.path);

    EXPECT_EQ(statuses(s.publish()), (std::vector<Status>{Status::Unchanged, Status::Unchanged, Status::Unchanged}));
    for (const PageEntry &entry : s.entries)
        EXPECT_EQ(stamp(entry.path), stamps[entry.path]) << entry.path.toStdString();

    s.sites.push_back(MakeRecord("毎朝", "http://asa.example/", "ニュース"));
    const Publication afterAdd = s.publish();
    EXPECT_EQ(statuses(afterAdd), (std::vector<Status>{Status::Changed, Status::Unchanged, Status::Changed}));
    EXPECT_EQ(afterAdd.files()[0].changes.added, 1);
    EXPECT_EQ(afterAdd.files()[0].changes.unchanged, 1);
    EXPECT_EQ(stamp(s.entries[1].path), stamps[s.entries[1].path]);
    EXPECT_NE(stamp(s.entries[0].path), stamps[s.entries[0].path]);
}

TEST(Publication, aPageEditedAfterItWasReadIsLeftToTheEditorAndTheOthersAreWritten)
{
    Site s;
    Publication planned = s.publish(false);
    const QByteArray edited = markedPage("<!-- sitekanri keyword=\"ニュース\" -->") + "<p>saved by an editor</p>\n";
    s.site.write(QStringLiteral("news.html"), edited);
    planned.write();
    EXPECT_EQ(statuses(planned), (std::vector<Status>{Status::Refused, Status::Changed, Status::Changed}));
    EXPECT_TRUE(planned.files()[0].reason.contains(QString::fromUtf8("ほかのプログラム"))) << planned.files()[0].reason.toStdString();
    EXPECT_EQ(s.site.read(QStringLiteral("news.html")), edited);
    EXPECT_TRUE(planned.files()[2].written);
}

TEST(Publication, aReadOnlyPageIsRefusedUntouchedWhileTheOthersAreWrittenWithTheirPermissions)
{
    Site s;
    const QString food = s.site.file(QStringLiteral("food.html")), news = s.site.file(QStringLiteral("news.html"));
    const QByteArray before = ReadFile(food);
    ASSERT_EQ(::chmod(QFile::encodeName(food).constData(), 0444), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(news).constData(), 0640), 0);
    const Publication publication = s.publish();
    EXPECT_EQ(statuses(publication), (std::vector<Status>{Status::Changed, Status::Refused, Status::Changed}));
    EXPECT_TRUE(publication.files()[1].reason.contains(QString::fromUtf8("アクセスが拒否されました")));
    EXPECT_EQ(ReadFile(food), before);
    struct stat status;
    ASSERT_EQ(::stat(QFile::encodeName(news).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

// What an upload is handed: every page but the refused, a plan's with the digest of what the page
// will hold once written.
TEST(Publication, theFilesToUploadAreThePagesNotRefusedWithWhatTheyWillHold)
{
    Site s;
    s.site.write(QStringLiteral("food.html"), markedPage("<!-- sitekanri mode=\"table\" -->"));
    s.publish();
    s.sites.push_back(MakeRecord("毎朝", "http://asa.example/", "ニュース"));
    Publication plan = s.publish(false);
    const std::vector<SiteFile> planned = plan.filesToUpload(true);
    ASSERT_EQ(planned.size(), 2u);
    EXPECT_EQ(planned[0].path + u'|' + planned[1].path, s.entries[0].path + u'|' + s.entries[2].path);
    EXPECT_NE(planned[0].digest, FileDigest(planned[0].path)) << "the page as it will be, not as it is";
    plan.write();
    for (const SiteFile &file : planned)
        EXPECT_EQ(file.digest, FileDigest(file.path)) << file.path.toStdString();
    EXPECT_TRUE(plan.filesToUpload().front().digest.isEmpty());
}

TEST(Publication, aFolderPublishesTheMarkedHtmlFilesBelowItOnceEach)
{
    TempRegister site;
    const QByteArray marked = markedPage("<!-- sitekanri -->");
    for (const char *name : {"a.html", "sub/b.HTM", ".hidden/c.html", "notes.txt", "own.html"}) {
        QDir(site.path()).mkpath(QFileInfo(site.file(QLatin1String(name))).path());
        site.write(QLatin1String(name), marked);
    }
    site.write(QStringLiteral("plain.html"), "<p>a page that mentions sitekanri in its text</p>");
    SiteList sites;
    sites.push_back(MakeRecord("a", "http://a.example/"));
    // The page named on its own keeps that entry's settings, wherever in the list it stands.
    PageEntry folder{PageEntry::Kind::Marked, site.path(), {}, {}};
    PageEntry own{PageEntry::Kind::Marked, site.file(QStringLiteral("own.html")), {}, {}};
    own.settings.defaults.mode = LinkCodeMode::Content;
    Publication publication = Publication::plan({folder, own}, LinkSource(sites, {}, QDate(2026, 12, 9)));
    QStringList paths;
    for (const PublishedFile &file : publication.files())
        paths << QDir(site.path()).relativeFilePath(file.path);
    EXPECT_EQ(paths, (QStringList{QStringLiteral("a.html"), QStringLiteral("sub/b.HTM"), QStringLiteral("own.html")}));
    publication.write();
    EXPECT_TRUE(site.read(QStringLiteral("sub/b.HTM")).contains("<A href=\"http://a.example/\">a</A><BR>"));
    EXPECT_EQ(site.read(QStringLiteral(".hidden/c.html")), marked);
}

// Even where every page is already as it should be (a publish killed after its last page took its
// place, before the old version beside it went).
TEST(Publication, whatAKilledPublishLeftGoesAndALiveWritersTemporaryStays)
{
    Site s;
    s.publish();
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 gone = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    const QString dead = QStringLiteral(".sitekanri-%1-abc1.tmp").arg(gone);
    const QString live = QStringLiteral(".sitekanri-%1-abc2.tmp").arg(::getpid());
    s.site.write(dead, "half a page");
    s.site.write(live, "another writer's");
    EXPECT_EQ(statuses(s.publish()), std::vector<Status>(3, Status::Unchanged));
    EXPECT_FALSE(s.site.exists(dead));
    EXPECT_TRUE(s.site.exists(live));
}

TEST(Publication, aPageOfOurOwnIsWrittenWholeWithItsTitleAndThenKeptWhileNothingChanges)
{
    TempRegister site;
    SiteList sites;
    sites.push_back(MakeRecord("東京新聞", "http://tokyo.example/", "ニュース"));
    PageEntry own{PageEntry::Kind::OwnPage, site.file(QStringLiteral("links.html")), {}, {}};
    own.settings.title = QString::fromUtf8("私の <リンク> 集");
    Publication first = Publication::plan({own}, LinkSource(sites, {}, QDate(2026, 12, 9)));
    first.write();
    ASSERT_TRUE(first.files()[0].written) << first.files()[0].reason.toStdString();
    const QByteArray page = site.read(QStringLiteral("links.html"));
    EXPECT_TRUE(page.contains(QString::fromUtf8("<title>私の &lt;リンク&gt; 集</title>").toUtf8()));
    EXPECT_TRUE(page.contains(QString::fromUtf8("<h1><!-- sitekanri title -->私の &lt;リンク&gt; 集<!-- /sitekanri --></h1>").toUtf8()));
    const Publication again = Publication::plan({own}, LinkSource(sites, {}, QDate(2026, 12, 24)));
    EXPECT_EQ(again.files()[0].status, Status::Unchanged);
}

} // namespace
