#include "SiteFilterModel.h"
#include "SiteTableModel.h"
#include "TempRegister.h"

#include <QAbstractItemModelTester>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// The arranged view over a live register, checked by Qt's model tester through every change:
// each change must come as announcements a view can follow.
struct ArrangedRegister
{
    ArrangedRegister()
    {
        AddRecords(reg.path(), {MakeRecord("Delta", "http://d.example/"), MakeRecord("alpha", "http://a.example/"),
                                MakeRecord("Charlie", "http://c.example/"), MakeRecord("bravo", "http://b.example/")});
        EXPECT_TRUE(sites.open());
        model.setSourceModel(&source);
        tester = std::make_unique<QAbstractItemModelTester>(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    // The names the view shows, top to bottom, separated by blanks.
    std::string shownNames() const
    {
        QStringList names;
        for (int row = 0; row < model.rowCount(); ++row)
            names << model.index(row, SiteTableModel::NameColumn).data().toString();
        return names.join(u' ').toStdString();
    }
    // Makes `change` to the register: "+Name" adds Name, "2=Name" renames record 2, "-3" removes
    // record 3, "refresh" reads the register again, "" does nothing.
    void make(const std::string &change)
    {
        const QString c = QString::fromStdString(change);
        const QByteArray name = c.section(u'=', -1).mid(c.startsWith(u'+') ? 1 : 0).toUtf8();
        const QByteArray url = "http://" + name.toLower() + ".example/";
        if (c.startsWith(u'+'))
            EXPECT_TRUE(sites.add(MakeRecord(name.constData(), url.constData())).done());
        else if (c.contains(u'='))
            EXPECT_TRUE(sites.update(c.section(u'=', 0, 0).toInt(), MakeRecord(name.constData(), url.constData())).done());
        else if (c.startsWith(u'-'))
            EXPECT_TRUE(sites.remove(c.mid(1).toInt()).done());
        else if (c == QStringLiteral("refresh"))
            sites.refreshAll();
    }

    TempRegister reg;
    SiteRegister sites{QFile::encodeName(reg.path())};
    SiteTableModel source{sites};
    SiteFilterModel model;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST(SiteFilterModel, sortedAndSearchedViewsFollowEveryChangeOfTheRegister)
{
    const struct
    {
        const char *what, *change;
        const char *sortedByName;  // all rows, by name without regard to case, the change made while sorted
        const char *searchedForHa; // rows that hold "ha", in the register's order, the change made while searched
    } cases[] = {
        {"nothing changed", "", "alpha bravo Charlie Delta", "alpha Charlie"},
        {"a record added", "+Echo", "alpha bravo Charlie Delta Echo", "alpha Charlie"},
        {"a record renamed past the others", "2=Zulu", "bravo Charlie Delta Zulu", "Charlie"},
        {"a record renamed into the search", "4=Aha", "Aha alpha Charlie Delta", "alpha Charlie Aha"},
        {"a record removed", "-3", "alpha bravo Delta", "alpha"},
        {"a record's name emptied", "1=", "alpha bravo Charlie ", "alpha Charlie"},
        {"the register read again", "refresh", "alpha bravo Charlie Delta", "alpha Charlie"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        {
            ArrangedRegister sorted;
            sorted.model.sort(SiteTableModel::NameColumn);
            sorted.make(c.change);
            EXPECT_EQ(sorted.shownNames(), c.sortedByName);
            // Searched again, the rows come from the sorted order the change left.
            sorted.model.setSearchText(QStringLiteral("http"));
            EXPECT_EQ(sorted.shownNames(), c.sortedByName);
        }
        {
            ArrangedRegister searched;
            searched.model.setSearchText(QStringLiteral("ha"));
            searched.make(c.change);
            EXPECT_EQ(searched.shownNames(), c.searchedForHa);
        }
    }
}

} // namespace
