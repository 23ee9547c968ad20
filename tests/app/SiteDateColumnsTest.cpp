#include "SiteClock.h"
#include "SiteColumnWidths.h"
#include "SiteDateColumns.h"
#include "SiteFilterModel.h"
#include "SiteRegister.h"
#include "SiteTableModel.h"
#include "TempRegister.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTableView>

#include <gtest/gtest.h>

namespace {

// Sites a–d: c without dates (a file of an earlier version), the others added and changed apart.
struct DatedRegister
{
    DatedRegister()
    {
        std::vector<SiteRecord> records{MakeRecord("a", "http://a/"), MakeRecord("b", "http://b/"),
                                        MakeRecord("c", "http://c/"), MakeRecord("d", "http://d/")};
        const std::int64_t day = 86400, first = 1796774400; // 2026-12-09T00:00:00Z
        records[0].SetDates(first + 2 * day, first + 2 * day);
        records[1].SetDates(first, first + 5 * day);
        records[3].SetDates(first + day, first + day);
        WriteRegister(reg.path(), records);
        WriteRecordFile(reg.file(QStringLiteral("data3.ini")), records[2]); // as an earlier version wrote it
        EXPECT_TRUE(sites.open());
        model.setSourceModel(&source);
    }

    QString shownNames() const
    {
        QStringList names;
        for (int row = 0; row < model.rowCount(); ++row)
            names << model.index(row, SiteTableModel::NameColumn).data().toString();
        return names.join(u' ');
    }

    TempRegister reg;
    SiteRegister sites{QFile::encodeName(reg.path())};
    SiteTableModel source{sites};
    SiteFilterModel model;
};

TEST(SiteDateColumns, sortByTimeWithUnknownDatesLastEitherWay)
{
    DatedRegister r;
    const std::tuple<int, Qt::SortOrder, const char *> cases[] = {
        {SiteTableModel::AddedColumn, Qt::AscendingOrder, "b d a c"},
        {SiteTableModel::AddedColumn, Qt::DescendingOrder, "a d b c"},
        {SiteTableModel::ChangedColumn, Qt::AscendingOrder, "d a b c"},
        {SiteTableModel::ChangedColumn, Qt::DescendingOrder, "b a d c"},
    };
    for (const auto &[column, order, names] : cases) {
        r.model.sort(column, order);
        EXPECT_EQ(r.shownNames(), QString::fromUtf8(names)) << column << " " << int(order);
    }
    // A site added while sorted takes its place by its date: now, the newest.
    r.model.sort(SiteTableModel::AddedColumn, Qt::DescendingOrder);
    const HeldSiteClock now(1796774400 + 10 * 86400);
    ASSERT_TRUE(r.sites.add(MakeRecord("e", "http://e/")).done());
    EXPECT_EQ(r.shownNames(), QStringLiteral("e a d b c"));
}

TEST(SiteDateColumns, cellsShowTheLocalDayAndTheMomentInTheTooltip)
{
    qputenv("TZ", "Asia/Tokyo");
    DatedRegister r;
    const QModelIndex added = r.source.index(0, SiteTableModel::AddedColumn); // 2026-12-11T00:00:00Z
    EXPECT_EQ(added.data().toString(), QStringLiteral("2026/12/11"));
    EXPECT_EQ(added.data(Qt::ToolTipRole).toString(), QStringLiteral("2026/12/11 09:00:00"));
    EXPECT_EQ(r.source.index(2, SiteTableModel::ChangedColumn).data().toString(), QString()); // unknown: blank
    EXPECT_EQ(r.source.headerData(SiteTableModel::AddedColumn, Qt::Horizontal).toString(), QStringLiteral("登録日"));
    qunsetenv("TZ");
}

TEST(SiteDateColumns, hiddenUntilChosenFromTheHeadersMenu)
{
    DatedRegister r;
    QTableView view;
    view.setModel(&r.model);
    SiteColumnWidths widths(view);
    SiteDateColumns dates(view, widths);
    EXPECT_TRUE(view.isColumnHidden(SiteTableModel::AddedColumn));
    EXPECT_TRUE(view.isColumnHidden(SiteTableModel::ChangedColumn));
    EXPECT_TRUE(dates.shown().empty());
    const QList<QAction *> entries = dates.menu()->actions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[1]->text(), QStringLiteral("更新日"));
    entries[1]->trigger();
    EXPECT_FALSE(view.isColumnHidden(SiteTableModel::ChangedColumn));
    EXPECT_GT(view.columnWidth(SiteTableModel::ChangedColumn), 0);
    EXPECT_EQ(dates.shown(), std::vector<int>{SiteTableModel::ChangedColumn});
    dates.setShown({SiteTableModel::AddedColumn});
    EXPECT_FALSE(view.isColumnHidden(SiteTableModel::AddedColumn));
    EXPECT_TRUE(view.isColumnHidden(SiteTableModel::ChangedColumn));
}

} // namespace
