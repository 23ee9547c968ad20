#include "CaseFile.h"
#include "KeywordList.h"
#include "SiteList.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

namespace {

TEST(BuildKeywordList, allKeywordsThenFirstAppearanceOrderByExactBytes)
{
    for (const CaseRow &c : ReadCaseRows(QStringLiteral(TEST_DATA "/keyword_lists.tsv"))) {
        SiteList sites;
        for (const QByteArray &site : c.fields.mid(2)) {
            const QList<QByteArray> k = site.split('|');
            sites.push_back(MakeRecord("n", "u", k.value(0).constData(), k.value(1).constData(), k.value(2).constData(), "c"));
        }
        KeywordList expected{Sjis("全てのキーワード")};
        for (const QByteArray &keyword : c.fields.value(1).split('|'))
            if (keyword != "-")
                expected.push_back(Sjis(keyword.constData()));
        EXPECT_EQ(BuildKeywordList(sites), expected) << c.fields[0].toStdString();
    }
}

} // namespace
