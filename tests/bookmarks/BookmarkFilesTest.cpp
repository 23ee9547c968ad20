// Every files/NAME.html is imported and compared with files/NAME.expected, a listing written by
// hand: "record [name] [URL] [keyword 1] [keyword 2] [keyword 3] [content]" lines and "summary"
// lines, or the one "error" line. Besides the listing, an expected file
// may hold input lines: "known URL" (already in the register), "keyword K" (the register's, in
// order), "limit bytes|bookmarks N", "order folders" (the folders before the tags), "file NAME.html"
// (another expected file's bookmarks), and "#" comments.
#include "CodePage.h"
#include "ImportPlan.h"
#include "PlannedRecords.h"
#include "SiteTexts.h"
#include "TempRegister.h"
#include "TrickleDevice.h"

#include <QDir>
#include <QSet>

#include <gtest/gtest.h>

namespace {

// The listing of an import, as the expected files write it.
std::string listing(const BookmarkImport &import)
{
    QStringList lines;
    if (!import.read.ok)
        lines << QStringLiteral("error ") + import.read.message;
    for (const SiteRecord &r : import.plan.records) {
        QString line = QStringLiteral("record");
        for (const SiteText text : kSiteTexts)
            line += QStringLiteral(" [") + CodePage::toText(r.*text) + u']';
        lines << line;
    }
    if (import.read.ok)
        for (const QString &line : import.plan.summary())
            lines << QStringLiteral("summary ") + line;
    return lines.join(u'\n').toStdString();
}

TEST(BookmarkFiles, importListsTheExpectedRecordsCountsAndMessages)
{
    const QDir files(QStringLiteral(TEST_DATA "/files"));
    for (const QString &name : files.entryList({QStringLiteral("*.expected")}, QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        QSet<QByteArray> known;
        std::vector<QByteArray> keywords;
        BookmarkReadLimits limits;
        QString html = name.chopped(9) + QStringLiteral(".html");
        bool foldersFirst = false;
        QStringList expected;
        for (const QString &line : QString::fromUtf8(ReadFile(files.filePath(name))).split(u'\n', Qt::SkipEmptyParts)) {
            const QString input = line.section(u' ', 1);
            if (line.startsWith(u'#'))
                continue;
            if (line.startsWith(QLatin1String("known ")))
                known.insert(CodePage::fromKnownText(input));
            else if (line.startsWith(QLatin1String("keyword ")))
                keywords.push_back(CodePage::fromKnownText(input));
            else if (line.startsWith(QLatin1String("limit bytes ")))
                limits.maxBytes = line.section(u' ', 2).toLongLong();
            else if (line.startsWith(QLatin1String("limit bookmarks ")))
                limits.maxBookmarks = line.section(u' ', 2).toLongLong();
            else if (line == QLatin1String("order folders"))
                foldersFirst = true;
            else if (line.startsWith(QLatin1String("file ")))
                html = input;
            else
                expected << line;
        }

        const KnownSites isKnown([&](const QByteArray &url) { return known.contains(url); }, keywords);
        const auto ordered = [foldersFirst](BookmarkImport import) {
            if (foldersFirst)
                import.plan.arrangeKeywords(ImportKeywordOrder::FoldersFirst);
            return import;
        };
        const QString path = files.filePath(html);
        EXPECT_EQ(listing(ordered(PlanBookmarkFileImport(path, isKnown, limits))), expected.join(u'\n').toStdString());

        // The same from a pipe that gives a byte at a time: nothing may depend on where reads end.
        TrickleDevice pipe(ReadFile(path), 1);
        EXPECT_EQ(listing(ordered(PlanBookmarkImport(pipe, isKnown, limits))), expected.join(u'\n').toStdString());
    }
}

// The planned records hold names and contents in a smaller form of their own: every record comes
// back byte for byte, even one holding the bytes that form uses for itself.
TEST(PlannedRecords, giveBackEveryRecordAsItWasGiven)
{
    const QByteArray texts[] = {
        "",
        "A &amp; B &lt;b&gt; &quot;q&quot;",
        "&#233; &amp;#233; &amp &am; &;",  // references and look-alikes that are no escape
        "\x01\x02\x03\x04\x05 &amp;\x05",  // the form's own codes, and its prefix last
        "\x83\x65\x83\x58\x83\x67&amp;\x81\x60", // CP932 double-byte characters
    };
    PlannedRecords planned;
    std::vector<SiteRecord> given;
    for (const QByteArray &text : texts) {
        SiteRecord record;
        record.SetName(text);
        record.SetContent(text + text);
        record.SetUrl("https://a.example/?" + text);
        record.SetKeyword2(text);
        planned.push_back(record);
        given.push_back(record);
    }
    ASSERT_EQ(planned.size(), given.size());
    for (std::size_t i = 0; i < given.size(); ++i)
        EXPECT_EQ(planned.at(i), given[i]) << i;
}

} // namespace
