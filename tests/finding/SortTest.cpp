#include "CaseFile.h"
#include "SearchIndex.h"
#include "SiteList.h"
#include "SiteSort.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

namespace {

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
