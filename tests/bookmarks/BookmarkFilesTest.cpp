// Every files/NAME.html is imported and compared with files/NAME.expected, a listing written by
// hand: "record [name] [URL] [keyword 1] [keyword 2] [keyword 3] [content]" lines and "summary"
// lines, or the one "error" line. Besides the listing, an expected file
// may hold input lines: "known URL" (already in the register) and "limit bytes|bookmarks N", and
// "#" comments.
#include "CodePage.h"
#include "ImportPlan.h"
#include "TrickleDevice.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace {

// The stems of files/*.expected.
std::vector<std::string> fileCases()
{
    std::vector<std::string> stems;
    for (const QString &file : QDir(QStringLiteral(TEST_DATA "/files")).entryList({QStringLiteral("*.expected")}, QDir::Files))
        stems.push_back(file.chopped(9).toStdString());
    return stems;
}

// The listing of an import, as the expected files write it.
std::string listing(const BookmarkImport &import)
{
    QStringList lines;
    if (!import.read.ok)
        lines << QStringLiteral("error ") + import.read.message;
    for (const SiteRecord &r : import.plan.records) {
        QString line = QStringLiteral("record");
        for (const QByteArray *field : {&r.m_name, &r.m_url, &r.m_keyword1, &r.m_keyword2, &r.m_keyword3, &r.m_content})
            line += QStringLiteral(" [") + CodePage::toText(*field) + u']';
        lines << line;
    }
    if (import.read.ok)
        for (const QString &line : import.plan.summary())
            lines << QStringLiteral("summary ") + line;
    return lines.join(u'\n').toStdString();
}

class BookmarkFiles : public ::testing::TestWithParam<std::string>
{
};

TEST_P(BookmarkFiles, importListsTheExpectedRecordsCountsAndMessages)
{
    const QString base = QStringLiteral(TEST_DATA "/files/") + QString::fromStdString(GetParam());
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

    const KnownUrl isKnown = [&](const QByteArray &url) { return known.contains(url); };
    const QString path = base + QStringLiteral(".html");
    EXPECT_EQ(listing(PlanBookmarkFileImport(path, isKnown, limits)), expected.join(u'\n').toStdString());

    // The same from a pipe that gives a byte at a time: nothing may depend on where reads end.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    TrickleDevice pipe(file.readAll(), 1);
    EXPECT_EQ(listing(PlanBookmarkImport(pipe, isKnown, limits)), expected.join(u'\n').toStdString());
}

INSTANTIATE_TEST_SUITE_P(Files, BookmarkFiles, ::testing::ValuesIn(fileCases()), [](const auto &info) {
    std::string name = info.param;
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
});

} // namespace
