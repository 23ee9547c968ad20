// Hostile inputs too large to keep as files, made here.
#include "BookmarkReader.h"
#include "CodePage.h"
#include "HtmlText.h"
#include "ImportPlan.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

struct Read
{
    BookmarkReadResult result;
    std::vector<Bookmark> bookmarks;
};

Read read(const QByteArray &bytes)
{
    QBuffer file;
    file.setData(bytes);
    file.open(QIODevice::ReadOnly);
    Read out;
    const auto keep = [&](Bookmark &&bookmark) { out.bookmarks.push_back(std::move(bookmark)); };
    out.result = ReadBookmarks(file, keep);
    return out;
}

// A reader that recursed per folder would overflow the stack long before this depth.
TEST(HostileBookmarks, foldersNestedOneHundredThousandDeep)
{
    constexpr int kDepth = 100000;
    QByteArray file = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    for (int i = 0; i < kDepth; ++i)
        file += "<DT><H3>f" + QByteArray::number(i) + "</H3>\n<DL><p>\n";
    file += "<DT><A HREF=\"https://deep.example/\">Deep</A>\n";
    for (int i = 0; i <= kDepth; ++i)
        file += "</DL><p>\n";

    const Read whole = read(file);
    ASSERT_TRUE(whole.result.ok) << whole.result.message.toStdString();
    ASSERT_EQ(whole.bookmarks.size(), 1u);
    EXPECT_EQ(whole.bookmarks[0].folders.join(u' '), QStringLiteral("f99999 f99998 f99997 f99996"));
    EXPECT_EQ(whole.bookmarks[0].moreFolders, kDepth - 4);
}

// A million references in one description, each decoded once: "&#38;amp;" is "&amp;", not "&".
TEST(HostileBookmarks, aMillionReferencesAreDecodedOnceEach)
{
    const QByteArray refs = QByteArray("&#38;amp;").repeated(1000000);
    const Read got = read("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A HREF=\"https://a.example/\">A</A>\n<DD>"
                          + refs + "\n</DL>\n");
    ASSERT_TRUE(got.result.ok && got.bookmarks.size() == 1) << got.result.message.toStdString();
    EXPECT_EQ(got.bookmarks[0].description, QStringLiteral("&amp;").repeated(1000000));
}

// A bookmark's title and description are text from outside: cut to 500 and 2 000 characters of
// text (not of its escaped form) with "…", without the controls that turn text around (where the
// cut falls: the outside-text test). Only a URL too long for a record (1 MB: a register file over
// 16 MiB would no longer load) leaves the bookmark out, said why.
TEST(HostileBookmarks, longTextsAreCutAndOnlyAUrlTooLongForARecordIsLeftOut)
{
    const QString ellipsis = QString::fromUtf8("…"), rlo(QChar(0x202E)), longUrl = QStringLiteral("https://l.example/") + QString(1024 * 1024, u'x');
    const struct
    {
        QString title, description, url;
        QString name, content; // as stored, decoded; no record when name is null
    } cases[] = {
        {QString(600, u'n'), QString(1024 * 1024, u'x'), QStringLiteral("https://a.example/"), QString(499, u'n') + ellipsis,
         QString(1999, u'x') + ellipsis},
        {QStringLiteral("exe.") + rlo + QStringLiteral("gnp") + QChar(0x2066), QString(1000, u'&'), QStringLiteral("https://a.example/"),
         QStringLiteral("exe.gnp"), QString(1000, u'&')},
        {QStringLiteral("t"), {}, longUrl, {}, {}},
    };
    for (const auto &c : cases) {
        ImportPlanner planner({});
        planner.add(Bookmark{c.title, c.url, {}, {}, 0, c.description, 0});
        if (c.name.isNull()) {
            EXPECT_TRUE(planner.plan().records.empty());
            ASSERT_EQ(planner.plan().notImported.size(), 1u);
            EXPECT_EQ(planner.plan().notImported[0].reason, QString::fromUtf8("長すぎて登録できません（1 MB まで）。"));
            continue;
        }
        ASSERT_EQ(planner.plan().records.size(), 1u) << c.title.toStdString();
        EXPECT_EQ(HtmlText::decodeReferences(CodePage::toText(planner.plan().records.at(0).GetName())), c.name);
        EXPECT_EQ(HtmlText::decodeReferences(CodePage::toText(planner.plan().records.at(0).GetContent())), c.content);
    }
}

// Thousands of bookmarks left out still give a summary a window can hold: the counts, the
// first ones, and how many more.
TEST(HostileBookmarks, aSummaryCountsWhatItDoesNotList)
{
    ImportPlanner planner({});
    for (int i = 0; i < 5000; ++i)
        planner.add(Bookmark{QStringLiteral("t%1").arg(i), {}, {}, {}, 0, {}, 0}); // no URL: left out
    const QStringList lines = planner.plan().details();
    ASSERT_EQ(lines.size(), ImportPlan::kListed + 1);
    EXPECT_TRUE(lines[14].contains(QStringLiteral("「t14」"))) << lines[14].toStdString();
    EXPECT_EQ(lines.back(), QString::fromUtf8("ほか 4900 件"));
    EXPECT_TRUE(planner.plan().counts().join(QLatin1Char('\n')).contains(QString::fromUtf8("取り込めないもの 5000 件")));
    EXPECT_EQ(planner.plan().notImported.size(), std::size_t(ImportPlan::kListed)) << "every one kept in memory";
}

// A TAGS list of commas once cost 65 times its size as empty strings, a huge title 6 times its
// size in copies: the first tags are kept and the rest counted; a text longer than any record
// is not decoded at all, and the bookmark is left out, said why.
TEST(HostileBookmarks, hugeTagListsAndTextsCostLittle)
{
    const QByteArray head = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    const Read tags = read(head + "<DT><A HREF=\"https://t.example/\" TAGS=\"a," + QByteArray(100000, ',') + "b,c\">T</A>\n</DL>\n");
    ASSERT_TRUE(tags.result.ok && tags.bookmarks.size() == 1) << tags.result.message.toStdString();
    EXPECT_EQ(tags.bookmarks[0].tags, QStringList(QStringLiteral("a")));
    EXPECT_EQ(tags.bookmarks[0].moreTags, 2);

    const Read title = read(head + "<DT><A HREF=\"https://l.example/\">" + QByteArray(Bookmark::kMaxTextBytes + 1, 'x')
                            + "</A>\n<DT><A HREF=\"https://s.example/\">S</A>\n</DL>\n");
    ASSERT_TRUE(title.result.ok && title.bookmarks.size() == 2) << title.result.message.toStdString();
    EXPECT_TRUE(title.bookmarks[0].tooLong);
    EXPECT_TRUE(title.bookmarks[0].title.isEmpty());
    EXPECT_FALSE(title.bookmarks[1].tooLong);
    ImportPlanner planner({});
    planner.add(title.bookmarks[0]);
    ASSERT_EQ(planner.plan().notImported.size(), 1u);
    EXPECT_EQ(planner.plan().notImported[0].title, QStringLiteral("https://l.example/"));
    EXPECT_TRUE(planner.plan().records.empty());
}

} // namespace
