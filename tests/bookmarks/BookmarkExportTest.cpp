#include "BookmarkExport.h"
#include "CodePage.h"
#include "ImportPlan.h"
#include "TempRegister.h"

#include <QBuffer>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Texts that markup, references, blanks and the TAGS list could each get wrong, and what a browser
// reads of each: the name (its title), the TAGS and the content, as a page shows them.
struct AwkwardSite
{
    const char *fields[6];
    const char16_t *title, *tags, *description;
};
const AwkwardSite kAwkward[] = {
    {{"R&D <b>太字</b> \"引用\" 'single' &amp;", "https://example.com/?a=1&b=<2>&c=\"3\"", "開発", "Q&A", "a,b",
      "<p>HTML の段落</p> &lt;そのまま&gt; & 100%"},
     u"R&D 太字 \"引用\" 'single' &", u"開発,Q&A,a,b", u"HTML の段落 <そのまま> & 100%"},
    {{" 前後に空白 ", "https://例え.jp/パス?q=日本語", "", "二番目", "", "\tタブで始まる\t"}, u" 前後に空白 ", u",二番目",
     u"\tタブで始まる\t"},
    {{"～全角チルダと①", "http://x.test/#frag", "", "", "", ""}, u"～全角チルダと①", u"", u""},
    {{"a  b   c", "https://spaces.test/", " k ", "", "", "x   y"}, u"a  b   c", u" k ", u"x   y"},
    {{"&#32; は参照のまま", "https://ref.test/", "&amp;", "", "", "&#10;"}, u"  は参照のまま", u"&amp;", u"\n"},
    {{"同じキーワード二つ", "https://same.test/", "x", "x", "", ""}, u"同じキーワード二つ", u"x,x", u""},
    {{"Tom &amp; Jerry <b>A&B</b>", "https://tom.test/", "caf&#233;", "", "", "<i>Caf&#233;</i> &#127843;"},
     u"Tom & Jerry A&B", u"café", u"Café 🍣"},
};

SiteList awkwardSites()
{
    SiteList sites;
    for (const AwkwardSite &row : kAwkward) {
        const auto *f = row.fields;
        sites.push_back(MakeRecord(f[0], f[1], f[2], f[3], f[4], f[5]));
    }
    return sites;
}

// The records an import would add, as a list.
SiteList imported(const QByteArray &file)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    const BookmarkImport import = PlanBookmarkImport(buffer, {});
    EXPECT_TRUE(import.read.ok) << import.read.message.toStdString();
    SiteList sites;
    for (const SiteRecord &record : import.plan.records)
        sites.push_back(record);
    return sites;
}

std::vector<SiteRecord> byUrl(const SiteList &sites)
{
    std::vector<SiteRecord> records(sites.begin(), sites.end());
    std::sort(records.begin(), records.end(), [](const SiteRecord &a, const SiteRecord &b) { return a.GetUrl() < b.GetUrl(); });
    return records;
}

// What browsers wrote, imported, exported and imported again: the same records (the export groups
// them by first keyword, so their order may differ).
TEST(ExportBookmarks, aBrowserExportImportedExportedAndImportedAgainChangesNothing)
{
    for (const char *name : {"firefox.html", "chromium.html", "entities.html"}) {
        const SiteList first = imported(ReadFile(QStringLiteral(TEST_DATA "/files/") + QLatin1String(name)));
        ASSERT_FALSE(first.empty()) << name;
        const SiteList again = imported(ExportBookmarks(first));
        EXPECT_EQ(byUrl(again), byUrl(first)) << name;
    }
}

TEST(ExportBookmarks, anIndependentHtmlParserReadsTheSameLinks)
{
    const QString python3 = QStringLiteral(SITEKANRI_PYTHON3);
    if (python3.isEmpty() || python3.endsWith(QLatin1String("NOTFOUND")))
        GTEST_SKIP() << "python3 is not installed (scripts/setup.sh installs it)";
    const SiteList sites = awkwardSites();
    TempRegister dir;
    dir.write(QStringLiteral("export.html"), ExportBookmarks(sites));
    const ProgramRun python = RunProgram(python3, {QStringLiteral(TEST_DATA "/html_links.py"), dir.file(QStringLiteral("export.html"))});
    ASSERT_EQ(python.exitCode, 0) << python.err.toStdString();
    const QJsonArray links = QJsonDocument::fromJson(python.out).object().value(QStringLiteral("links")).toArray();
    ASSERT_EQ(std::size_t(links.size()), sites.size());
    // Links are grouped by folder: each is found by its URL, which every row has its own of.
    QHash<QString, QStringList> parsed;
    for (const QJsonValue &link : links)
        parsed.insert(link.toArray().at(1).toString(), link.toVariant().toStringList());
    for (const AwkwardSite &row : kAwkward) {
        const QString url = QString::fromUtf8(row.fields[1]);
        const QStringList expected{QString::fromUtf16(row.title), url, QString::fromUtf16(row.tags),
                                   QString::fromUtf16(row.description)};
        EXPECT_EQ(parsed.value(url), expected);
    }
}

} // namespace
