// The search index: what a query matches, and the orders the list sorts in.
#include "CaseFile.h"
#include "CodePage.h"
#include "SearchIndex.h"
#include "SiteSort.h"
#include "TempRegister.h"

namespace {

TEST(SearchIndex, matchesAsTheTableSays)
{
    for (const QStringList &row : ReadCaseFile(QStringLiteral(TEST_DATA "/matching.tsv"))) {
        SCOPED_TRACE(row.join(u'|').toStdString());
        ASSERT_GE(row.size(), 2);
        SiteRecord record;
        for (int f = 0; f < kSiteFieldCount; ++f)
            ASSERT_TRUE(CodePage::fromText(row.value(f + 2), record.*kRecordFields[f]));
        SiteList sites;
        sites.push_back(record);
        EXPECT_EQ(SearchIndex(sites).matches(0, SearchQuery(row[0])), row[1] == u"yes");
    }
}

// Typing on narrows the rows found before; anything else, or a change to the register, must
// look at every row again.
TEST(SearchIndex, findFollowsTypingDeletingAndRowChanges)
{
    SiteList sites;
    for (const char *name : {"ニュース", "ニューヨーク", "東京ニュース", "大阪"})
        sites.push_back([&] { SiteRecord r; r.SetName(CodePage::fromKnownText(QString::fromUtf8(name))); return r; }());
    SearchIndex index(sites);
    auto find = [&index](const char *typed) { return index.find(SearchQuery(QString::fromUtf8(typed))); };

    EXPECT_EQ(find("にゅ"), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(find("にゅーす"), (std::vector<int>{0, 2}));
    EXPECT_EQ(find("にゅー"), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(find("にゅー 東京"), (std::vector<int>{2}));
    EXPECT_EQ(find(""), (std::vector<int>{0, 1, 2, 3}));

    find("にゅーす");
    SiteRecord news;
    news.SetContent(CodePage::fromKnownText(QStringLiteral("ﾆｭｰｽ")));
    index.insertRow(3, news);
    EXPECT_EQ(find("にゅーす"), (std::vector<int>{0, 2, 3}));
    index.removeRow(0);
    EXPECT_EQ(find("にゅーす"), (std::vector<int>{1, 2}));
    index.replaceRow(1, SiteRecord());
    EXPECT_EQ(find("にゅーす"), (std::vector<int>{2}));
    for (int i = 0; i < 8; ++i) // leaves more old text behind than there is live text
        index.replaceRow(0, news);
    EXPECT_EQ(find("にゅーす"), (std::vector<int>{0, 2}));
    EXPECT_EQ(index.field(2, SiteField::Content), QStringLiteral("ニュース"));
}

TEST(SortedRows, foldedNaturalOrderBlanksLastTiesInRegisterOrder)
{
    for (const QStringList &c : ReadCaseFile(QStringLiteral(TEST_DATA "/sorting.tsv"))) {
        SCOPED_TRACE(c[0].toStdString());
        SiteList sites;
        for (const QString &text : c[1].split(u'|'))
            sites.push_back(MakeRecord("", "", "", "", "", text.toUtf8().constData()));
        const SearchIndex index(sites);
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            std::vector<int> expected;
            for (const QString &row : c[2 + order].split(u' '))
                expected.push_back(row.toInt());
            EXPECT_EQ(SortedRows(sites, SiteField::Content, order), expected) << order;
            EXPECT_EQ(SortedRows(index, SiteField::Content, order), expected) << order;
        }
    }
}

TEST(CompareFolded, ordersLikeTheSort)
{
    EXPECT_LT(CompareFolded(u"サイト2", u"サイト10"), 0);
    EXPECT_EQ(CompareFolded(u"abc007", u"abc7"), 0);
    EXPECT_GT(CompareFolded(u"b", u"a"), 0);
}

} // namespace
