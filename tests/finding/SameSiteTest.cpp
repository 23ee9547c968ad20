#include "CaseTable.h"
#include "DuplicateIndex.h"
#include "LiveDuplicateIndex.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "SiteRegister.h"
#include "SiteIdentity.h"
#include "TempRegister.h"

#include "SiteList.h"

#include <QFile>

#include <functional>

namespace {

TEST(SiteIdentity, sameSiteAsTheTableSays)
{
    for (const QStringList &row : ReadCaseTable("same-site.tsv")) {
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

// Whoever changes the register, here or elsewhere, the index knows at once which record has a site.
TEST(LiveDuplicateIndex, followsEveryChangeOfTheRegister)
{
    TempRegister dir;
    WriteRegister(dir.path(), {MakeRecord("a", "http://a.jp/"), MakeRecord("b", "HTTP://B.jp:80/x")});
    SiteRegister reg(QFile::encodeName(dir.path()));
    ASSERT_TRUE(reg.open());
    RegisterFolder folder(QFile::encodeName(dir.path()));
    ASSERT_TRUE(folder.open(false));
    RegisterFiles elsewhere(folder);
    const LiveDuplicateIndex index(reg);
    const struct
    {
        const char *change;
        std::function<void()> make;
        const char *url;
        int number;
    } steps[] = {
        {"loaded", [] {}, "http://b.jp/x", 2},
        {"added", [&] { reg.add(MakeRecord("c", "http://c.jp")); }, "http://c.jp/", 3},
        {"updated: the old URL", [&] { reg.update(2, MakeRecord("b", "http://d.jp/")); }, "http://b.jp/x", 0},
        {"updated: the new URL", [] {}, "http://d.jp/", 2},
        {"removed", [&] { reg.remove(1); }, "http://a.jp/", 0},
        {"changed elsewhere", [&] { elsewhere.update(3, MakeRecord("c", "http://a.jp/")), reg.refreshAll(); }, "http://a.jp/", 3},
        {"removed elsewhere", [&] { elsewhere.remove(2), reg.refreshAll(); }, "http://d.jp/", 0},
    };
    for (const auto &step : steps) {
        step.make();
        EXPECT_EQ(index.find(step.url), step.number) << step.change;
    }
}

} // namespace
