#include "Publication.h"
#include "RegionCode.h"
#include "SiteList.h"
#include "TempRegister.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QUrl>

#include <gtest/gtest.h>

// The page of our own, from the template the program ships, read back by html5lib and checked by
// tidy: tools of their own, not our reading of what we wrote.
namespace {

// The first python3 that has html5lib: the one on the path, or Debian's own.
QString pythonWithHtml5lib()
{
    for (const QString &python : {QStandardPaths::findExecutable(QStringLiteral("python3")), QStringLiteral("/usr/bin/python3")}) {
        if (!python.isEmpty() && RunProgram(python, {QStringLiteral("-c"), QStringLiteral("import html5lib")}).exitCode == 0)
            return python;
    }
    return {};
}

TEST(OwnPageReadBack, aParserFindsOneSectionPerKeywordInTheComboOrderEachSiteUnderEachOfItsKeywords)
{
    const QString python = pythonWithHtml5lib();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with html5lib is not installed (scripts/setup.sh installs python3-html5lib)";
    TempRegister site;
    SiteList sites;
    sites.push_back(MakeRecord("<b>太字</b> &amp; co", "http://bold.example/?a=1&b=2", "R&D", "Web 制作", "", "説明"));
    sites.push_back(MakeRecord("東京新聞", "http://tokyo.example/", "ニュース", "R&D"));
    sites.push_back(MakeRecord("青空", "http://aozora.example/"));
    sites.push_back(MakeRecord("&lt;tag&gt;", "http://tag.example/", "<tag>", "ニュース", "ニュース"));
    PageEntry own{PageEntry::Kind::OwnPage, site.file(QStringLiteral("links.html")), {}, {}};
    own.settings.title = QString::fromUtf8("私の \"リンク\" 集");
    own.settings.defaults.mode = LinkCodeMode::NameAndContent;
    Publication publication = Publication::plan({own}, LinkSource(sites, {}, QDate(2026, 12, 9)));
    publication.write();
    ASSERT_TRUE(publication.files()[0].written) << publication.files()[0].reason.toStdString();

    const ProgramRun read = RunProgram(python, {QStringLiteral(TEST_DATA "/page_outline.py"), own.path});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    const QJsonObject outline = QJsonDocument::fromJson(read.out).object();
    EXPECT_EQ(outline[QStringLiteral("lang")].toString(), QStringLiteral("ja"));
    EXPECT_EQ(outline[QStringLiteral("title")].toString(), own.settings.title);
    EXPECT_EQ(outline[QStringLiteral("h1")].toString(), own.settings.title);
    EXPECT_EQ(outline[QStringLiteral("updated")].toArray(), QJsonArray({QStringLiteral("2026-12-09")}));
    // Keywords in the order they first appear, site by site; the keywordless site last.
    const struct
    {
        const char *heading;
        QStringList links;
    } expected[] = {
        {"R&D", {QStringLiteral("http://bold.example/?a=1&b=2"), QStringLiteral("http://tokyo.example/")}},
        {"Web 制作", {QStringLiteral("http://bold.example/?a=1&b=2")}},
        {"ニュース", {QStringLiteral("http://tokyo.example/"), QStringLiteral("http://tag.example/")}},
        {"<tag>", {QStringLiteral("http://tag.example/")}},
        {"キーワードなし", {QStringLiteral("http://aozora.example/")}},
    };
    const QJsonArray sections = outline[QStringLiteral("sections")].toArray();
    const QJsonArray contents = outline[QStringLiteral("contents")].toArray();
    ASSERT_EQ(sections.size(), std::size(expected));
    ASSERT_EQ(contents.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const QJsonObject section = sections[qsizetype(i)].toObject();
        SCOPED_TRACE(expected[i].heading);
        EXPECT_EQ(section[QStringLiteral("heading")].toString(), QString::fromUtf8(expected[i].heading));
        EXPECT_EQ(section[QStringLiteral("links")].toVariant().toStringList(), expected[i].links);
        // Its entry in the table of contents leads to it.
        const QJsonArray entry = contents[qsizetype(i)].toArray();
        EXPECT_EQ(entry[1].toString(), QString::fromUtf8(expected[i].heading));
        EXPECT_EQ(QUrl::fromPercentEncoding(entry[0].toString().toUtf8()), QLatin1Char('#') + section[QStringLiteral("id")].toString());
        EXPECT_FALSE(section[QStringLiteral("id")].toString().contains(QLatin1Char(' ')));
    }

    const QString tidy = QStandardPaths::findExecutable(QStringLiteral("tidy"));
    if (tidy.isEmpty())
        GTEST_SKIP() << "tidy is not installed (scripts/setup.sh installs it): the page was not validated";
    // No error, and no warning but the one about an ampersand in a stored URL (HTML5 allows one
    // that starts no character reference), which the link code keeps as the register holds it.
    const ProgramRun checked = RunProgram(tidy, {QStringLiteral("-q"), QStringLiteral("-e"), own.path});
    EXPECT_LE(checked.exitCode, 1) << checked.err.toStdString();
    for (const QByteArray &line : checked.err.split('\n')) {
        if (!line.trimmed().isEmpty()) {
            EXPECT_TRUE(line.contains("unescaped & or unknown entity \"&b\"")) << line.toStdString();
        }
    }
}

} // namespace
