// What publishing makes of the sites' dates: 新着 marks and recent additions on a page, the feed
// and the blogroll beside it, read back by parsers of their own.
#include "MarkerOptions.h"
#include "PageComposer.h"
#include "Publication.h"
#include "RegionCode.h"
#include "SiteList.h"
#include "TempRegister.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <ctime>

namespace {

constexpr std::int64_t kNow = 1796817600; // 2026-12-09T12:00:00Z
constexpr std::int64_t kDay = 86400;

// The page is made in Japan: its dates are Japan's, whatever the machine running the test says.
class JapanTime
{
public:
    JapanTime() : m_before(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", "Asia/Tokyo");
        tzset();
    }
    ~JapanTime()
    {
        if (m_had)
            qputenv("TZ", m_before);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_before;
    bool m_had;
};

SiteRecord dated(SiteRecord record, std::int64_t added, std::int64_t changed)
{
    record.SetDates(added, changed);
    return record;
}

SiteList sites()
{
    SiteList list;
    // Added 2026-12-08 20:00 UTC: already the 9th in Japan.
    list.push_back(dated(MakeRecord("Caf&#233; &amp; 友", "http://cafe.example/", "料理", "", "", "<b>パリ</b>の店"),
                         1796760000, kNow - 3600));
    list.push_back(dated(MakeRecord("東京新聞", "http://tokyo.example/", "ニュース"), kNow - 10 * kDay, kNow - 10 * kDay));
    list.push_back(MakeRecord("青空", "http://aozora.example/"));
    list.push_back(dated(MakeRecord("古い", "http://old.example/?a=1&b=2", "ニュース", "料理"), kNow - 400 * kDay, kNow - 2 * kDay));
    return list;
}

TEST(DateMarkers, eachDateOptionSetsItsPartOrIsRefusedWithWhy)
{
    const struct
    {
        const char *marker;
        const char *refusal; // "" when the marker reads
    } rows[] = {
        {"new=\"7\" new-mark='<img src=\"new.gif\" alt=\"NEW\">'", ""},
        {"sections new=0", ""},
        {"recent count=\"3\" date=\"slashes\" heading=\"h3\" mode=\"content\" skip-dead", ""},
        {"new-mark=\"NEW\"", "「new-mark」は new=\"日数\" と一緒にだけ使えます。"},
        {"new=\"3651\"", "「new」の値「3651」は使えません（0 から 3650 までの数）。"},
        {"new=\"soon\"", "「new」の値「soon」は使えません（0 から 3650 までの数）。"},
        {"recent count=\"0\"", "「count」の値「0」は使えません（1 から 1000 までの数）。"},
        {"recent date=\"iso\"", "「date」の値「iso」は使えません（kanji、slashes のどちらか）。"},
        {"recent new=\"7\"", "「new」は recent と一緒には使えません。"},
        {"count=\"3\"", "「count」は recent と一緒にだけ使えます。"},
        {"updated feed-link", "「updated」は feed-link と一緒には使えません。"},
    };
    for (const auto &row : rows) {
        const MarkerReading read = ReadMarkerOptions(QString::fromUtf8(row.marker));
        EXPECT_EQ(read.refusal.toStdString(), row.refusal) << row.marker;
    }
    const MarkerReading mark = ReadMarkerOptions(QString::fromUtf8(rows[0].marker));
    ASSERT_TRUE(mark.options);
    EXPECT_EQ(mark.options->newDays, 7);
    EXPECT_EQ(mark.options->newMark, QByteArray("<img src=\"new.gif\" alt=\"NEW\">"));
    const MarkerReading recent = ReadMarkerOptions(QString::fromUtf8(rows[2].marker));
    ASSERT_TRUE(recent.options);
    EXPECT_EQ(recent.options->kind, RegionKind::Recent);
    EXPECT_EQ(recent.options->recentCount, 3);
    EXPECT_EQ(recent.options->dateStyle, DateStyle::Slashes);
    EXPECT_TRUE(recent.options->recentHeading);
}

// A marked page: the mark after the sites of the last week only (the undated one never), the
// recent additions newest first with their Japanese dates, the undated one in neither.
TEST(DateMarkers, aMarkedPageGetsItsMarksAndItsRecentAdditions)
{
    const JapanTime japan;
    const SiteList list = sites();
    const QByteArray page = "<meta charset=\"utf-8\">\n"
                            "<!-- sitekanri keyword=\"ニュース\" new=\"10\" new-mark=\"<em>NEW!</em>\" -->\n<!-- /sitekanri -->\n"
                            "<!-- sitekanri recent count=\"2\" -->\n<!-- /sitekanri -->\n"
                            "<!-- sitekanri recent date=\"slashes\" heading=\"h3\" -->\n<!-- /sitekanri -->\n";
    const ComposedPage composed = ComposeMarkedPage(page, LinkSource(list, {}, QDate(2026, 12, 9), kNow), {});
    ASSERT_TRUE(composed.ok()) << composed.refusal.toStdString();
    const QByteArray expected =
        "<meta charset=\"utf-8\">\n"
        "<!-- sitekanri keyword=\"ニュース\" new=\"10\" new-mark=\"<em>NEW!</em>\" -->\n"
        // Ten days ago to the second: new no more.
        "<A href=\"http://tokyo.example/\">東京新聞</A><BR>\n"
        "<A href=\"http://old.example/?a=1&b=2\">古い</A><BR>\n<!-- /sitekanri -->\n"
        "<!-- sitekanri recent count=\"2\" -->\n"
        "<time datetime=\"2026-12-09\">2026年12月9日</time> <A href=\"http://cafe.example/\">Café &amp; 友</A><BR>\n"
        "<time datetime=\"2026-11-29\">2026年11月29日</time> <A href=\"http://tokyo.example/\">東京新聞</A><BR>\n"
        "<!-- /sitekanri -->\n"
        "<!-- sitekanri recent date=\"slashes\" heading=\"h3\" -->\n<section id=\"recent\">\n<h3>最近加えたサイト</h3>\n"
        "<time datetime=\"2026-12-09\">2026/12/09</time> <A href=\"http://cafe.example/\">Café &amp; 友</A><BR>\n"
        "<time datetime=\"2026-11-29\">2026/11/29</time> <A href=\"http://tokyo.example/\">東京新聞</A><BR>\n"
        "<time datetime=\"2025-11-04\">2025/11/04</time> <A href=\"http://old.example/?a=1&b=2\">古い</A><BR>\n"
        "</section>\n<!-- /sitekanri -->\n";
    EXPECT_EQ(QString::fromUtf8(composed.bytes).toStdString(), QString::fromUtf8(expected).toStdString());

    // A second later the site of ten days ago to the second is still not new, and one of nine is.
    SiteList later = list;
    later.at(1).SetDates(kNow - 10 * kDay + 1, kNow);
    const ComposedPage marked = ComposeMarkedPage(page, LinkSource(later, {}, QDate(2026, 12, 9), kNow), {});
    EXPECT_NE(marked.bytes.indexOf("東京新聞</A> <em>NEW!</em><BR>\n"), -1) << marked.bytes.toStdString();
}

// The first python3 that reads feeds: the one on the path, or Debian's own.
QString pythonWithFeedparser()
{
    for (const QString &python : {QStandardPaths::findExecutable(QStringLiteral("python3")), QStringLiteral("/usr/bin/python3")}) {
        if (!python.isEmpty() && RunProgram(python, {QStringLiteral("-c"), QStringLiteral("import feedparser")}).exitCode == 0)
            return python;
    }
    return {};
}

TEST(SiteFeeds, theFeedAndBlogrollReadBackAsTheRegisterHoldsThemAndThePageLinksTheFeed)
{
    const QString python = pythonWithFeedparser();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with feedparser is not installed (scripts/setup.sh installs python3-feedparser)";
    TempRegister site;
    ASSERT_TRUE(QDir(site.path()).mkpath(QStringLiteral("feeds")));
    const SiteList list = sites();
    PageEntry own{PageEntry::Kind::OwnPage, site.file(QStringLiteral("links.html")), {}, {}};
    own.settings.title = QString::fromUtf8("私の <リンク> 集");
    PageEntry feed{PageEntry::Kind::Feed, site.file(QStringLiteral("feeds/new.xml")), {}, own.settings};
    feed.settings.defaults.recentCount = 2;
    PageEntry blogroll{PageEntry::Kind::Blogroll, site.file(QStringLiteral("blogroll.opml")), {}, own.settings};
    const std::vector<PageEntry> entries{own, feed, blogroll};
    Publication publication = Publication::plan(entries, LinkSource(list, {}, QDate(2026, 12, 9), kNow));
    publication.write();
    for (const PublishedFile &file : publication.files())
        ASSERT_TRUE(file.written) << file.path.toStdString() << ": " << file.reason.toStdString();
    EXPECT_NE(site.read(QStringLiteral("links.html"))
                  .indexOf("<link rel=\"alternate\" type=\"application/atom+xml\" title=\"私の &lt;リンク&gt; 集\" href=\"feeds/new.xml\">"),
              -1);

    const ProgramRun read = RunProgram(python, {QStringLiteral(TEST_DATA "/read_feeds.py"), feed.path, blogroll.path});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    const QJsonObject parsed = QJsonDocument::fromJson(read.out).object();
    const QJsonObject atom = parsed[QStringLiteral("feed")].toObject();
    EXPECT_FALSE(atom[QStringLiteral("bozo")].toBool()) << atom[QStringLiteral("bozo_exception")].toString().toStdString();
    EXPECT_EQ(atom[QStringLiteral("version")].toString(), QStringLiteral("atom10"));
    EXPECT_EQ(atom[QStringLiteral("title")].toString(), own.settings.title);
    EXPECT_EQ(atom[QStringLiteral("updated")].toInteger(), kNow - 3600) << "the latest change among its entries";
    const QJsonArray got = atom[QStringLiteral("entries")].toArray();
    ASSERT_EQ(got.size(), 2);
    const struct
    {
        const char *title, *link, *content;
        const SiteRecord &site;
    } expected[] = {
        {"Café & 友", "http://cafe.example/", "<b>パリ</b>の店", list.at(0)},
        {"東京新聞", "http://tokyo.example/", nullptr, list.at(1)},
    };
    QSet<QString> ids;
    for (int i = 0; i < 2; ++i) {
        const QJsonObject entry = got[i].toObject();
        SCOPED_TRACE(expected[i].link);
        EXPECT_EQ(entry[QStringLiteral("title")].toString(), QString::fromUtf8(expected[i].title));
        EXPECT_EQ(entry[QStringLiteral("title_type")].toString(), QStringLiteral("text/plain"));
        EXPECT_EQ(entry[QStringLiteral("link")].toString(), QLatin1String(expected[i].link));
        EXPECT_EQ(entry[QStringLiteral("published")].toInteger(), expected[i].site.GetAdded());
        EXPECT_EQ(entry[QStringLiteral("updated")].toInteger(), expected[i].site.GetChanged());
        EXPECT_EQ(entry[QStringLiteral("content")].toString(),
                  expected[i].content ? QString::fromUtf8(expected[i].content) : QString());
        EXPECT_TRUE(entry[QStringLiteral("id")].toString().startsWith(QLatin1String("urn:uuid:")));
        ids.insert(entry[QStringLiteral("id")].toString());
    }
    EXPECT_EQ(ids.size(), 2);

    const QJsonObject opml = parsed[QStringLiteral("opml")].toObject();
    EXPECT_EQ(opml[QStringLiteral("version")].toString(), QStringLiteral("2.0"));
    const QJsonArray groups = opml[QStringLiteral("groups")].toArray();
    const QJsonArray expectedGroups = QJsonDocument::fromJson(QByteArray(R"([
        {"text": "料理", "sites": [["Café & 友", "link", "http://cafe.example/", "Tue, 08 Dec 2026 20:00:00 GMT"],
                                  ["古い", "link", "http://old.example/?a=1&b=2", "Tue, 04 Nov 2025 12:00:00 GMT"]]},
        {"text": "ニュース", "sites": [["東京新聞", "link", "http://tokyo.example/", "Sun, 29 Nov 2026 12:00:00 GMT"],
                                    ["古い", "link", "http://old.example/?a=1&b=2", "Tue, 04 Nov 2025 12:00:00 GMT"]]},
        {"text": "キーワードなし", "sites": [["青空", "link", "http://aozora.example/", null]]}
    ])")).array();
    EXPECT_EQ(groups, expectedGroups) << QJsonDocument(groups).toJson().toStdString();

    // Made again from the same register, nothing changes, and each of them goes up with the page.
    const Publication again = Publication::plan(entries, LinkSource(list, {}, QDate(2026, 12, 24), kNow + 15 * kDay));
    for (const PublishedFile &file : again.files())
        EXPECT_EQ(file.status, PublishedFile::Status::Unchanged) << file.path.toStdString();
    QStringList uploaded;
    for (const SiteFile &file : again.filesToUpload())
        uploaded << QDir(site.path()).relativeFilePath(file.path);
    EXPECT_EQ(uploaded, (QStringList{QStringLiteral("links.html"), QStringLiteral("feeds/new.xml"), QStringLiteral("blogroll.opml")}));
}

} // namespace
