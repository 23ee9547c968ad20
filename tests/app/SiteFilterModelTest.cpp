#include "SiteFilterModel.h"
#include "SiteRegister.h"
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
    // Makes `change` to the register: "+Name" adds Name, "Old=New" renames Old, "-Name" removes
    // Name, "refresh" reads the register again, "" does nothing.
    void make(const std::string &change)
    {
        const QString c = QString::fromStdString(change), name = c.mid(1), old = c.section(u'=', 0, 0);
        int number = 0;
        for (std::size_t i = 0; i < sites.sites().size(); ++i)
            if (sites.sites().at(i).m_name == (c.contains(u'=') ? old : name).toUtf8())
                number = sites.sites().number(i);
        const QByteArray url = "http://" + c.section(u'=', -1).toLower().toUtf8() + ".example/";
        if (c.startsWith(u'+'))
            EXPECT_TRUE(sites.add(MakeRecord(name.toUtf8().constData(), url.constData())).done());
        else if (c.contains(u'='))
            EXPECT_TRUE(sites.update(number, MakeRecord(c.section(u'=', 1).toUtf8().constData(), url.constData())).done());
        else if (c.startsWith(u'-'))
            EXPECT_TRUE(sites.remove(number).done());
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
        {"a record renamed past the others", "alpha=Zulu", "bravo Charlie Delta Zulu", "Charlie"},
        {"a record renamed into the search", "bravo=Aha", "Aha alpha Charlie Delta", "alpha Charlie Aha"},
        {"a record removed", "-Charlie", "alpha bravo Delta", "alpha"},
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
