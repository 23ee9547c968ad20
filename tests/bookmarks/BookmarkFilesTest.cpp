// Every files/NAME.html is imported and compared with files/NAME.expected, a listing written by
// hand: "record [name] [URL] [keyword 1] [keyword 2] [keyword 3] [content]" lines and "summary"
// lines, or the one "error" line. Besides the listing, an expected file
// may hold input lines: "known URL" (already in the register) and "limit bytes|bookmarks N", and
// "#" comments.
#include "CaseName.h"
#include "CodePage.h"
#include "ImportPlan.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

namespace {

struct FileCase
{
    std::string stem;
    const char *name;
};

std::vector<FileCase> fileCases()
{
    static std::vector<std::string> stems;
    if (stems.empty()) {
        const QStringList files =
            QDir(QStringLiteral(SITEKANRI_BOOKMARK_FILES)).entryList({QStringLiteral("*.expected")}, QDir::Files);
        for (const QString &file : files)
            stems.push_back(file.chopped(9).toStdString());
    }
    std::vector<FileCase> cases;
    for (const std::string &stem : stems)
        cases.push_back({stem, stem.c_str()});
    return cases;
}

class BookmarkFiles : public ::testing::TestWithParam<FileCase>
{
};

TEST_P(BookmarkFiles, importListsTheExpectedRecordsCountsAndMessages)
{
    const QString base = QStringLiteral(SITEKANRI_BOOKMARK_FILES "/") + QString::fromStdString(GetParam().stem);
    QFile expectedFile(base + QStringLiteral(".expected"));
    ASSERT_TRUE(expectedFile.open(QIODevice::ReadOnly));
    QSet<QByteArray> known;
    BookmarkReadLimits limits;
    QStringList expected;
    for (const QString &line : QString::fromUtf8(expectedFile.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const QString input = line.section(u' ', 1);
        if (line.startsWith(u'#'))
            continue;
        if (line.startsWith(QLatin1String("known ")))
            known.insert(CodePage::fromKnownText(input));
        else if (line.startsWith(QLatin1String("limit bytes ")))
            limits.maxBytes = line.section(u' ', 2).toLongLong();
        else if (line.startsWith(QLatin1String("limit bookmarks ")))
            limits.maxBookmarks = line.section(u' ', 2).toLongLong();
        else
            expected << line;
    }

    const BookmarkImport import = PlanBookmarkFileImport(
        base + QStringLiteral(".html"), [&](const QByteArray &url) { return known.contains(url); }, limits);
    QStringList actual;
    if (!import.read.ok)
        actual << QStringLiteral("error ") + import.read.message;
    for (const SiteRecord &r : import.plan.records) {
        QString line = QStringLiteral("record");
        for (const QByteArray *field : {&r.m_name, &r.m_url, &r.m_keyword1, &r.m_keyword2, &r.m_keyword3, &r.m_content})
            line += QStringLiteral(" [") + CodePage::toText(*field) + u']';
        actual << line;
    }
    if (import.read.ok)
        for (const QString &line : import.plan.summary())
            actual << QStringLiteral("summary ") + line;
    EXPECT_EQ(actual.join(u'\n').toStdString(), expected.join(u'\n').toStdString());
}

INSTANTIATE_TEST_SUITE_P(Files, BookmarkFiles, ::testing::ValuesIn(fileCases()), CaseName());

} // namespace
