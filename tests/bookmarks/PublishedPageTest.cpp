// A hostile bookmark file imported and published: the page a browser renders shows each title as
// the text it was, with no element but links and line breaks.
#include "BookmarkReader.h"
#include "ImportPlan.h"
#include "LinkCode.h"
#include "LinkCodeDocument.h"
#include "KeywordList.h"
#include "TempRegister.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");

// The DOM Chromium builds from `page`, read back by html_links.py: {elements, links}.
QJsonObject renderedPage(const QByteArray &page)
{
    TempRegister dir;
    dir.write(QStringLiteral("links.html"), page);
    const QStringList options = QStringLiteral("--headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                                               "--disable-background-networking --disable-component-update --disable-sync")
                                    .split(u' ');
    const ProgramRun chromium = RunProgram(kChromium, options + QStringList{QStringLiteral("--user-data-dir=") + dir.file(QStringLiteral("profile")),
                                                                             QStringLiteral("--host-resolver-rules=MAP * ~NOTFOUND"), // no name reaches a resolver
                                                                             QStringLiteral("--dump-dom"), QStringLiteral("file://") + dir.file(QStringLiteral("links.html"))});
    EXPECT_TRUE(chromium.out.contains("<body>")) << chromium.err.toStdString();
    dir.write(QStringLiteral("dom.html"), chromium.out);
    const ProgramRun python = RunProgram(QStringLiteral(SITEKANRI_PYTHON3), {QStringLiteral(TEST_DATA "/html_links.py"), dir.file(QStringLiteral("dom.html"))});
    return QJsonDocument::fromJson(python.out).object();
}

TEST(PublishedPage, hostileTitlesRenderAsTheirTextWithNoElementButLinksAndLineBreaks)
{
    const QString python3 = QStringLiteral(SITEKANRI_PYTHON3);
    if (!QFile::exists(kChromium) || python3.isEmpty() || python3.endsWith(QLatin1String("NOTFOUND")))
        GTEST_SKIP() << "chromium or python3 is not installed (scripts/setup.sh installs them)";
    const QString path = QStringLiteral(TEST_DATA "/files/hostile.html");
    std::vector<Bookmark> bookmarks;
    ASSERT_TRUE(ReadBookmarkFile(path, [&](Bookmark &&b) { bookmarks.push_back(std::move(b)); }).ok);
    const BookmarkImport import = PlanBookmarkFileImport(path, {});
    ASSERT_EQ(import.plan.records.size(), bookmarks.size());
    SiteList sites;
    for (const SiteRecord &record : import.plan.records)
        sites.push_back(record);

    // Names, then contents (a site without one shows its name), on one Shift_JIS page.
    QStringList expected;
    for (const Bookmark &bookmark : bookmarks)
        expected << bookmark.title;
    for (const Bookmark &bookmark : bookmarks)
        expected << (bookmark.description.isEmpty() ? bookmark.title : bookmark.description);
    const QByteArray code = BuildLinkCode(sites, kAllKeywords, LinkCodeMode::Name)
        + BuildLinkCode(sites, kAllKeywords, LinkCodeMode::Content);
    LinkCodeFormat format;
    format.asPage = true;
    const QJsonObject page = renderedPage(BuildLinkCodeDocument(code, format));

    EXPECT_EQ(page.value(QStringLiteral("elements")).toArray(), QJsonArray({QStringLiteral("a"), QStringLiteral("br")}));
    const QJsonArray links = page.value(QStringLiteral("links")).toArray();
    ASSERT_EQ(links.size(), expected.size());
    for (qsizetype i = 0; i < links.size(); ++i) {
        EXPECT_EQ(links.at(i).toArray().at(0).toString(), expected.at(i)) << i;
        EXPECT_TRUE(links.at(i).toArray().at(1).toString().startsWith(QLatin1String("https://"))) << i;
    }
}

} // namespace
