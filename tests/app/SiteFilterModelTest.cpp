#include "SiteFilterModel.h"
#include "SiteRegister.h"
#include "SiteTableModel.h"
#include "TempRegister.h"

#include <QAbstractItemModelTester>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>
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

    std::vector<std::string> shownNames() const
    {
        std::vector<std::string> names;
        for (int row = 0; row < model.rowCount(); ++row)
            names.push_back(model.index(row, SiteTableModel::NameColumn).data().toString().toStdString());
        return names;
    }
    int numberOf(const char *name) const
    {
        for (std::size_t i = 0; i < sites.sites().size(); ++i)
            if (sites.sites().at(i).m_name == Sjis(name))
                return sites.sites().number(i);
        return 0;
    }

    TempRegister reg;
    SiteRegister sites{QFile::encodeName(reg.path())};
    SiteTableModel source{sites};
    SiteFilterModel model;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST(SiteFilterModel, sortedAndSearchedViewsFollowEveryChangeOfTheRegister)
{
    using Names = std::vector<std::string>;
    const struct
    {
        const char *what;
        std::function<void(ArrangedRegister &)> change;
        Names sortedByName;    // all rows, by name without regard to case, the change made while sorted
        Names searchedForHa; // rows that hold "ha", in the register's order, the change made while searched
    } cases[] = {
        {"nothing changed", [](ArrangedRegister &) {}, {"alpha", "bravo", "Charlie", "Delta"}, {"alpha", "Charlie"}},
        {"a record added",
         [](ArrangedRegister &r) { EXPECT_TRUE(r.sites.add(MakeRecord("Echo", "http://e.example/")).done()); },
         {"alpha", "bravo", "Charlie", "Delta", "Echo"},
         {"alpha", "Charlie"}},
        {"a record renamed past the others",
         [](ArrangedRegister &r) {
             EXPECT_TRUE(r.sites.update(r.numberOf("alpha"), MakeRecord("Zulu", "http://z.example/")).done());
         },
         {"bravo", "Charlie", "Delta", "Zulu"},
         {"Charlie"}},
        {"a record renamed into the search",
         [](ArrangedRegister &r) {
             EXPECT_TRUE(r.sites.update(r.numberOf("bravo"), MakeRecord("Aha", "http://b.example/")).done());
         },
         {"Aha", "alpha", "Charlie", "Delta"},
         {"alpha", "Charlie", "Aha"}},
        {"a record removed", [](ArrangedRegister &r) { EXPECT_TRUE(r.sites.remove(r.numberOf("Charlie")).done()); },
         {"alpha", "bravo", "Delta"},
         {"alpha"}},
        {"the register read again", [](ArrangedRegister &r) { r.sites.refreshAll(); },
         {"alpha", "bravo", "Charlie", "Delta"},
         {"alpha", "Charlie"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        {
            ArrangedRegister sorted;
            sorted.model.sort(SiteTableModel::NameColumn);
            c.change(sorted);
            EXPECT_EQ(sorted.shownNames(), c.sortedByName);
            // Searched again, the rows come from the sorted order the change left.
            sorted.model.setSearchText(QStringLiteral("http"));
            EXPECT_EQ(sorted.shownNames(), c.sortedByName);
        }
        {
            ArrangedRegister searched;
            searched.model.setSearchText(QStringLiteral("ha"));
            c.change(searched);
            EXPECT_EQ(searched.shownNames(), c.searchedForHa);
        }
    }
}

} // namespace
