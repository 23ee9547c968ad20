#include "CaseFile.h"
#include "DuplicateIndex.h"
#include "SiteIdentity.h"
#include "TempRegister.h"

namespace {

TEST(SiteIdentity, sameSiteAsTheTableSays)
{
    for (const QStringList &row : ReadCaseFile(QStringLiteral(TEST_DATA "/same-site.tsv"))) {
        SCOPED_TRACE(row.join(u'|').toStdString());
        ASSERT_EQ(row.size(), 3);
        const QString a = SiteIdentity(row[0]), b = SiteIdentity(row[1]);
        EXPECT_EQ(!a.isEmpty() && a == b, row[2] == u"same") << a.toStdString() << " / " << b.toStdString();
    }
}

TEST(DuplicateIndex, findsTheFirstRecordOfTheSiteAndFollowsChanges)
{
    SiteList sites;
    sites.push_back(MakeRecord("a", "http://other.example.jp/"), 2);
    sites.push_back(MakeRecord("b", "HTTP://Example.jp:80"), 5);
    sites.push_back(MakeRecord("c", "example.jp/"), 9);
    DuplicateIndex index(sites);

    EXPECT_EQ(index.find("http://example.jp/"), 5);
    EXPECT_EQ(index.find("http://example.jp/", 5), 9); // the record being updated is not its own duplicate
    EXPECT_EQ(index.find("http://example.jp/x"), 0);
    EXPECT_EQ(index.find(""), 0);

    index.set(3, "http://EXAMPLE.jp/");
    EXPECT_EQ(index.find("http://example.jp/"), 3);
    index.set(3, "http://example.jp/x");
    EXPECT_EQ(index.find("http://example.jp/"), 5);
    EXPECT_EQ(index.find("http://example.jp/x"), 3);
    index.remove(5);
    index.remove(5);
    EXPECT_EQ(index.find("http://example.jp/"), 9);
}

} // namespace
