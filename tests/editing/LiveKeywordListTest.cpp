// The keyword list kept record by record against the one built from every site, over random
// registrations, updates, deletes, operations on many sites and other programs' changes.
#include "LiveKeywordList.h"
#include "SiteRegister.h"
#include "TempRegister.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

SiteRecord randomSite(QRandomGenerator &random, int serial)
{
    // Few keywords, the blank one and the filter of every site among them: most changes move nothing.
    static const char *const pool[] = {"", "検索", "ニュース", "天気", "全てのキーワード", "地図", "辞書"};
    const auto pick = [&] { return pool[random.bounded(7)]; };
    const QByteArray name = "site" + QByteArray::number(serial);
    return MakeRecord(name.constData(), ("http://" + name + ".jp/").constData(), pick(), pick(), pick());
}

TEST(LiveKeywordList, followsEveryChangeAsAWalkOfAllSitesWouldSeeIt)
{
    std::vector<SiteRecord> start;
    QRandomGenerator random(20261208);
    for (int i = 0; i < 40; ++i)
        start.push_back(randomSite(random, i));
    OpenRegister opened(start);
    SiteRegister &reg = opened.reg;
    FolderFiles elsewhere(opened.dir.path());
    LiveKeywordList keywords(reg);
    int told = 0;
    QObject::connect(&keywords, &LiveKeywordList::changed, [&] { ++told; });
    KeywordList shown = BuildKeywordList(reg.sites());
    int moved = 0;
    for (int step = 0; step < 400; ++step) {
        const SiteList &sites = reg.sites();
        const std::size_t at = sites.empty() ? 0 : random.bounded(quint32(sites.size()));
        const int serial = 1000 + step;
        switch (sites.empty() ? 0 : random.bounded(6)) {
        case 0:
            ASSERT_TRUE(reg.add(randomSite(random, serial)).done());
            break;
        case 1:
            ASSERT_TRUE(reg.update(sites.number(at), randomSite(random, serial), sites.at(at)).done());
            break;
        case 2:
            ASSERT_TRUE(reg.remove(sites.number(at), sites.at(at)).done());
            break;
        case 3: {
            std::vector<std::pair<int, SiteRecord>> seen;
            for (std::size_t i = at; i < sites.size() && seen.size() < 3; i += 2)
                seen.emplace_back(sites.number(i), sites.at(i));
            ASSERT_TRUE(reg.removeMany(seen).done());
            break;
        }
        case 4: {
            std::vector<RecordUpdate> updates;
            for (std::size_t i = at; i < sites.size() && updates.size() < 3; ++i)
                updates.push_back({sites.number(i), randomSite(random, serial * 10 + int(i)), sites.at(i)});
            ASSERT_TRUE(reg.updateMany(updates).done());
            break;
        }
        default: // another program's change, followed as the watcher follows it
            ASSERT_TRUE(elsewhere.files.update(sites.number(at), randomSite(random, serial)).done());
            reg.refreshAll();
            for (const QDeadlineTimer deadline(5000); !(reg.sites() == ReadRegister(opened.dir.path())) && !deadline.hasExpired();)
                QCoreApplication::processEvents();
            ASSERT_EQ(reg.sites(), ReadRegister(opened.dir.path()));
            break;
        }
        const KeywordList expected = BuildKeywordList(reg.sites());
        ASSERT_EQ(keywords.list(), expected) << "step " << step;
        // Told exactly when the list became another.
        moved += expected != shown;
        EXPECT_EQ(told, moved) << "step " << step;
        shown = expected;
    }
    EXPECT_GT(moved, 20);
    EXPECT_LT(moved, 380);
}

} // namespace
