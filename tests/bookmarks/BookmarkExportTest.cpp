#include "BookmarkExport.h"
#include "CodePage.h"
#include "HtmlText.h"
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

// Texts that markup, references, blanks and the TAGS list could each get wrong.
SiteList awkwardSites()
{
    const char *rows[][6] = {
        {"R&D <b>太字</b> \"引用\" 'single' &amp;", "https://example.com/?a=1&b=<2>&c=\"3\"", "開発", "Q&A", "a,b",
         "<p>HTML の段落</p> &lt;そのまま&gt; & 100%"},
        {" 前後に空白 ", "https://例え.jp/パス?q=日本語", "", "二番目", "", "\tタブで始まる\t"},
        {"～全角チルダと①", "http://x.test/#frag", "", "", "", ""},
        {"a  b   c", "https://spaces.test/", " k ", "", "", "x   y"},
        {"&#32; は参照のまま", "https://ref.test/", "&amp;", "", "", "&#10;"},
        {"同じキーワード二つ", "https://same.test/", "x", "x", "", ""},
    };
    SiteList sites;
    for (const auto &row : rows)
        sites.push_back(MakeRecord(row[0], row[1], row[2], row[3], row[4], row[5]));
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
    std::sort(records.begin(), records.end(), [](const SiteRecord &a, const SiteRecord &b) { return a.m_url < b.m_url; });
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
    const auto shown = [](const QByteArray &html) { return HtmlText::decodeReferences(CodePage::toText(html)); };
    for (const SiteRecord &site : sites) {
        QStringList tags{shown(site.m_keyword1), shown(site.m_keyword2), shown(site.m_keyword3)};
        while (!tags.isEmpty() && tags.last().isEmpty())
            tags.removeLast();
        const QStringList expected{shown(site.m_name), CodePage::toText(site.m_url), tags.join(u','),
                                   shown(site.m_content)};
        EXPECT_EQ(parsed.value(CodePage::toText(site.m_url)), expected);
    }
}

} // namespace
