#include "BookmarkExport.h"
#include "CodePage.h"
#include "HtmlText.h"
#include "ImportPlan.h"
#include "SiteList.h"
#include "TempRegister.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

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

ImportPlan imported(const QByteArray &file)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    const BookmarkImport import = PlanBookmarkImport(buffer, {});
    EXPECT_TRUE(import.read.ok) << import.read.message.toStdString();
    return import.plan;
}

SiteList listOf(const std::vector<SiteRecord> &records)
{
    SiteList sites;
    for (const SiteRecord &record : records)
        sites.push_back(record);
    return sites;
}

std::vector<SiteRecord> byUrl(std::vector<SiteRecord> records)
{
    std::sort(records.begin(), records.end(), [](const SiteRecord &a, const SiteRecord &b) { return a.m_url < b.m_url; });
    return records;
}

// What browsers wrote, imported, exported and imported again: the same records (the export groups
// them by first keyword, so their order may differ).
TEST(ExportBookmarks, aBrowserExportImportedExportedAndImportedAgainChangesNothing)
{
    for (const char *name : {"firefox.html", "chromium.html", "entities.html"}) {
        QFile file(QStringLiteral(TEST_DATA "/files/") + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const std::vector<SiteRecord> first = imported(file.readAll()).records.all();
        ASSERT_FALSE(first.empty()) << name;
        const std::vector<SiteRecord> again = imported(ExportBookmarks(listOf(first))).records.all();
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
    const ProgramRun python = RunProgram(python3, {QStringLiteral(TEST_DATA "/parse_bookmarks.py"), dir.file(QStringLiteral("export.html"))});
    ASSERT_EQ(python.exitCode, 0) << python.err.toStdString();
    const QList<QByteArray> lines = python.out.trimmed().split('\n');
    ASSERT_EQ(std::size_t(lines.size()), sites.size());
    // Links are grouped by folder: each is found by its URL, which every row has its own of.
    QHash<QString, QStringList> parsed;
    for (const QByteArray &line : lines) {
        QStringList fields;
        for (const QJsonValue &value : QJsonDocument::fromJson(line).array())
            fields << value.toString();
        parsed.insert(fields.value(1), fields);
    }
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
