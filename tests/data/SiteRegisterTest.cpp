// The register in memory follows the files: its own operations, and what other programs do in the
// folder while it is watched, announced record by record.
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "RegisterWatcher.h"
#include "SiteRegister.h"
#include "TempRegister.h"

#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

const SiteRecord kOther = MakeRecord("よそ", "http://other.example.jp/", "", "", "", "他のプログラム");

// What a view sees: a copy of the list kept only through the register's announcements.
struct Follower
{
    explicit Follower(const SiteRegister &reg) : rows(reg.sites().begin(), reg.sites().end())
    {
        const auto at = [&reg](int row) { return reg.sites().at(std::size_t(row)); };
        QObject::connect(&reg, &SiteRegister::recordsInserted, [this, at](int first, int last) {
            for (int row = first; row <= last; ++row)
                rows.insert(rows.begin() + row, at(row));
            ++announced;
        });
        QObject::connect(&reg, &SiteRegister::recordsRemoved, [this](int first, int last) {
            rows.erase(rows.begin() + first, rows.begin() + last + 1);
            ++announced;
        });
        QObject::connect(&reg, &SiteRegister::recordChanged, [this, at](int row) {
            rows[std::size_t(row)] = at(row);
            ++announced;
        });
        QObject::connect(&reg, &SiteRegister::wasReset, [this] { ++resets; });
    }
    std::vector<SiteRecord> rows;
    int announced = 0, resets = 0;
};

// Another program's view of the register folder.
struct Elsewhere
{
    explicit Elsewhere(const QString &dir) : folder(QFile::encodeName(dir)), files(folder) { EXPECT_TRUE(folder.open(false)); }
    RegisterFolder folder;
    RegisterFiles files;
};

std::vector<int> Numbers(const SiteList &sites)
{
    std::vector<int> numbers;
    for (std::size_t i = 0; i < sites.size(); ++i)
        numbers.push_back(sites.number(i));
    return numbers;
}

// Another program at work in the register folder {1, 2, 4} (count 4) while it is watched: the list
// follows within a second, through single-record announcements that keep a view in step.
TEST(SiteRegisterWatch, changesMadeElsewhereAreTakenInRecordByRecord)
{
    using Change = std::function<void(RegisterFiles &, const TempRegister &)>;
    const auto write = [](const char *name, const char *bytes) {
        return [=](RegisterFiles &, const TempRegister &dir) { dir.write(QString::fromLatin1(name), bytes); };
    };
    const struct
    {
        const char *name;
        Change change;
        std::vector<int> numbers;
        bool damaged;
    } cases[] = {
        {"update", [](RegisterFiles &f, const TempRegister &) { f.update(2, kOther); }, {1, 2, 4}, false},
        {"edit in place", write("data2.ini", "[DATA]\r\nNAME=edited\r\n"), {1, 2, 4}, false},
        {"add", [](RegisterFiles &f, const TempRegister &) { f.add(kOther); }, {1, 2, 4, 5}, false},
        {"remove", [](RegisterFiles &f, const TempRegister &) { f.remove(1); }, {2, 4}, false},
        {"count lowered", write("setting.ini", "[SETTING]\r\nDATA_CNT=2\r\n"), {1, 2}, false},
        {"file above the count", write("data9.ini", "[DATA]\r\nNAME=x\r\n"), {1, 2, 4}, false},
        {"left file taken in by a raised count",
         [](RegisterFiles &, const TempRegister &dir) {
             dir.write(QStringLiteral("data6.ini"), "[DATA]\r\nNAME=six\r\n");
             dir.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=6\r\n");
         },
         {1, 2, 4, 6}, false},
        {"renamed into place",
         [](RegisterFiles &, const TempRegister &dir) {
             dir.write(QStringLiteral("sync.tmp"), "[DATA]\r\nNAME=synced\r\n");
             QFile::rename(dir.file(QStringLiteral("sync.tmp")), dir.file(QStringLiteral("data4.ini")));
         },
         {1, 2, 4}, false},
        {"count made unreadable", write("setting.ini", "[SETTING]\r\nDATA_CNT=three\r\n"), {1, 2, 4}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempRegister dir;
        WriteRegister(dir.path(), std::vector<SiteRecord>(4, MakeRecord("元", "http://o/")), {3});
        SiteRegister reg(QFile::encodeName(dir.path()));
        ASSERT_TRUE(reg.open());
        reg.watch();
        Follower view(reg);
        bool damageTold = false;
        QObject::connect(&reg, &SiteRegister::damageChanged, [&](bool damaged) { damageTold = damaged; });
        Elsewhere other(dir.path());
        c.change(other.files, dir);
        SiteList expected;
        bool damaged = false;
        ASSERT_TRUE(other.files.load(expected, damaged));
        EXPECT_TRUE(QTest::qWaitFor([&] { return reg.sites() == expected && reg.isDamaged() == c.damaged; }, 1000));
        QTest::qWait(3 * RegisterWatcher::kGatherMs);
        EXPECT_EQ(Numbers(reg.sites()), c.numbers);
        EXPECT_EQ(view.rows, std::vector<SiteRecord>(reg.sites().begin(), reg.sites().end()));
        EXPECT_EQ(view.resets, 0);
        EXPECT_EQ(damageTold, c.damaged);
    }
}

// Our own operations come back from the watcher as changes, and change nothing a second time; a
// new record also brings in those other programs added before it.
TEST(SiteRegisterWatch, ownOperationsAreAnnouncedOnceAndAddsBringInOthers)
{
    TempRegister dir;
    WriteRegister(dir.path(), {MakeRecord("一", "http://1/"), MakeRecord("二", "http://2/")});
    SiteRegister reg(QFile::encodeName(dir.path()));
    ASSERT_TRUE(reg.open());
    reg.watch();
    Follower view(reg);
    EXPECT_TRUE(reg.update(1, kOther).done());
    EXPECT_TRUE(reg.remove(2).done());
    QTest::qWait(5 * RegisterWatcher::kGatherMs);
    EXPECT_EQ(view.announced, 2) << "a change of our own came back as another";

    Elsewhere other(dir.path());
    ASSERT_EQ(other.files.add(kOther).number, 2);
    EXPECT_EQ(reg.add(kOther).number, 3); // before the watcher has told of the other add
    EXPECT_EQ(reg.sites(), ReadRegister(dir.path()));
    EXPECT_EQ(Numbers(reg.sites()), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(view.rows, std::vector<SiteRecord>(reg.sites().begin(), reg.sites().end()));
}

} // namespace
