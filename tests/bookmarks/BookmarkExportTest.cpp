#include "BookmarkExport.h"
#include "CodePage.h"
#include "ImportPlan.h"
#include "SiteList.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryFile>

#include <gtest/gtest.h>

namespace {

QByteArray sjis(const char *text)
{
    return CodePage::fromKnownText(QString::fromUtf8(text));
}

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
    for (const auto &row : rows) {
        SiteRecord record;
        record.m_name = sjis(row[0]);
        record.m_url = sjis(row[1]);
        record.m_keyword1 = sjis(row[2]);
        record.m_keyword2 = sjis(row[3]);
        record.m_keyword3 = sjis(row[4]);
        record.m_content = sjis(row[5]);
        sites.push_back(record);
    }
    return sites;
}

TEST(ExportBookmarks, importingTheExportKeepsEveryRecord)
{
    const SiteList sites = awkwardSites();
    QBuffer file;
    file.setData(ExportBookmarks(sites));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const BookmarkImport import = PlanBookmarkImport(file, {});
    ASSERT_TRUE(import.read.ok) << import.read.message.toStdString();
    ASSERT_EQ(import.plan.records.size(), sites.size());
    for (std::size_t i = 0; i < sites.size(); ++i)
        EXPECT_EQ(import.plan.records[i], sites.at(i)) << CodePage::toText(sites.at(i).m_name).toStdString();
}

TEST(ExportBookmarks, anIndependentHtmlParserReadsTheSameLinks)
{
    const QString python3 = QStringLiteral(SITEKANRI_PYTHON3);
    if (python3.isEmpty() || python3.endsWith(QLatin1String("NOTFOUND")))
        GTEST_SKIP() << "python3 is not installed (scripts/setup.sh installs it)";
    const SiteList sites = awkwardSites();
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(ExportBookmarks(sites));
    file.close();

    QProcess python;
    python.start(python3, {QStringLiteral(SITEKANRI_HTML_PARSER_SCRIPT), file.fileName()});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QList<QByteArray> lines = python.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(std::size_t(lines.size()), sites.size());
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const SiteRecord &site = sites.at(i);
        QStringList tags{CodePage::toText(site.m_keyword1), CodePage::toText(site.m_keyword2),
                         CodePage::toText(site.m_keyword3)};
        while (!tags.isEmpty() && tags.last().isEmpty())
            tags.removeLast();
        const QStringList expected{CodePage::toText(site.m_name), CodePage::toText(site.m_url),
                                   tags.join(u','), CodePage::toText(site.m_content)};
        QStringList parsed;
        for (const QJsonValue &value : QJsonDocument::fromJson(lines[qsizetype(i)]).array())
            parsed << value.toString();
        EXPECT_EQ(parsed, expected) << i;
    }
}

} // namespace
