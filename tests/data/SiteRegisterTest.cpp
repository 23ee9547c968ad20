// The register in memory follows the files: its own operations, and what other programs do in the
// folder while it is watched, announced record by record.
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "RegisterWatcher.h"
#include "SiteRegister.h"
#include "TempRegister.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

const SiteRecord kOne = MakeRecord("一", "http://1.example.jp/");
const SiteRecord kTwo = MakeRecord("二", "http://2.example.jp/", "数");
const SiteRecord kFour = MakeRecord("四", "http://4.example.jp/");
const SiteRecord kOther = MakeRecord("よそ", "http://other.example.jp/", "", "", "", "他のプログラム");

// What a view sees: a copy of the list kept only through the register's announcements.
struct Follower
{
    explicit Follower(SiteRegister &reg) : reg(reg)
    {
        rows.assign(reg.sites().begin(), reg.sites().end());
        QObject::connect(&reg, &SiteRegister::recordsInserted, [this](int first, int last) {
            for (int row = first; row <= last; ++row)
                rows.insert(rows.begin() + row, this->reg.sites().at(std::size_t(row)));
            ++announced;
        });
        QObject::connect(&reg, &SiteRegister::recordsRemoved, [this](int first, int last) {
            rows.erase(rows.begin() + first, rows.begin() + last + 1);
            ++announced;
        });
        QObject::connect(&reg, &SiteRegister::recordChanged, [this](int row) {
            rows[std::size_t(row)] = this->reg.sites().at(std::size_t(row));
            ++announced;
        });
        QObject::connect(&reg, &SiteRegister::wasReset, [this] {
            rows.assign(this->reg.sites().begin(), this->reg.sites().end());
            ++resets;
        });
    }
    SiteRegister &reg;
    std::vector<SiteRecord> rows;
    int announced = 0, resets = 0;
};

// The register as a fresh load finds it: numbers and records.
SiteList OnDisk(const QString &dir)
{
    RegisterFolder folder(QFile::encodeName(dir));
    EXPECT_TRUE(folder.open(false));
    SiteList sites;
    bool damaged = false;
    EXPECT_TRUE(RegisterFiles(folder).load(sites, damaged));
    return sites;
}

std::vector<int> Numbers(const SiteList &sites)
{
    std::vector<int> numbers;
    for (std::size_t i = 0; i < sites.size(); ++i)
        numbers.push_back(sites.number(i));
    return numbers;
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Another program at work in the register folder {1, 2, 4} (count 4) while it is watched: the list
// follows within a second, through single-record announcements that keep a view in step.
TEST(SiteRegisterWatch, changesMadeElsewhereAreTakenInRecordByRecord)
{
    using Elsewhere = std::function<void(RegisterFiles &, const QString &)>;
    const struct
    {
        const char *name;
        Elsewhere change;
        std::vector<int> numbers;
        bool damaged;
    } cases[] = {
        {"update", [](RegisterFiles &f, const QString &) { f.update(2, kOther); }, {1, 2, 4}, false},
        {"edit in place",
         [](RegisterFiles &, const QString &d) {
             WriteFile(d + QStringLiteral("/data2.ini"), Sjis("[DATA]\r\nNAME=書き換え\r\nURL=http://e/\r\n"));
         },
         {1, 2, 4}, false},
        {"add", [](RegisterFiles &f, const QString &) { f.add(kOther); }, {1, 2, 4, 5}, false},
        {"remove", [](RegisterFiles &f, const QString &) { f.remove(1); }, {2, 4}, false},
        {"count lowered", [](RegisterFiles &, const QString &d) { WriteFile(d + QStringLiteral("/setting.ini"), "[SETTING]\r\nDATA_CNT=2\r\n"); },
         {1, 2}, false},
        {"file above the count",
         [](RegisterFiles &, const QString &d) { WriteFile(d + QStringLiteral("/data9.ini"), "[DATA]\r\nNAME=x\r\n"); },
         {1, 2, 4}, false},
        {"left file taken in by a raised count",
         [](RegisterFiles &, const QString &d) {
             WriteFile(d + QStringLiteral("/data6.ini"), "[DATA]\r\nNAME=six\r\n");
             WriteFile(d + QStringLiteral("/setting.ini"), "[SETTING]\r\nDATA_CNT=6\r\n");
         },
         {1, 2, 4, 6}, false},
        {"renamed into place",
         [](RegisterFiles &, const QString &d) {
             WriteFile(d + QStringLiteral("/sync.tmp"), "[DATA]\r\nNAME=synced\r\n");
             QFile::rename(d + QStringLiteral("/sync.tmp"), d + QStringLiteral("/data4.ini"));
         },
         {1, 2, 4}, false},
        {"count made unreadable",
         [](RegisterFiles &, const QString &d) { WriteFile(d + QStringLiteral("/setting.ini"), "[SETTING]\r\nDATA_CNT=three\r\n"); },
         {1, 2, 4}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempRegister dir;
        WriteRegister(dir.path(), {kOne, kTwo, MakeRecord("三", "http://3/"), kFour}, {3});
        SiteRegister reg(QFile::encodeName(dir.path()));
        ASSERT_TRUE(reg.open());
        reg.watch();
        Follower view(reg);
        bool damageTold = false;
        QObject::connect(&reg, &SiteRegister::damageChanged, [&](bool damaged) { damageTold = damaged; });

        RegisterFolder otherFolder(QFile::encodeName(dir.path()));
        ASSERT_TRUE(otherFolder.open(false));
        RegisterFiles other(otherFolder);
        c.change(other, dir.path());
        const SiteList expected = OnDisk(dir.path());
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
    WriteRegister(dir.path(), {kOne, kTwo});
    SiteRegister reg(QFile::encodeName(dir.path()));
    ASSERT_TRUE(reg.open());
    reg.watch();
    Follower view(reg);
    EXPECT_EQ(reg.update(1, kFour).number, 1);
    EXPECT_EQ(reg.remove(2).number, 2);
    EXPECT_EQ(view.announced, 2);
    QTest::qWait(5 * RegisterWatcher::kGatherMs);
    EXPECT_EQ(view.announced, 2) << "a change of our own came back as another";

    RegisterFolder otherFolder(QFile::encodeName(dir.path()));
    ASSERT_TRUE(otherFolder.open(false));
    ASSERT_EQ(RegisterFiles(otherFolder).add(kOther).number, 2);
    const OperationResult added = reg.add(kTwo); // before the watcher has told of the other add
    EXPECT_EQ(added.number, 3);
    EXPECT_EQ(reg.sites(), OnDisk(dir.path()));
    EXPECT_EQ(Numbers(reg.sites()), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(view.rows, std::vector<SiteRecord>(reg.sites().begin(), reg.sites().end()));
}

// An update or removal of a record another program changed or removed meanwhile writes nothing,
// and the list takes the record as that program left it.
TEST(SiteRegisterOperations, staleRecordIsNeverWrittenOver)
{
    enum Op { Update, Remove };
    const struct
    {
        const char *name;
        Op op;
        bool removedElsewhere;
        OperationStatus status;
    } cases[] = {
        {"update of a changed record", Update, false, OperationStatus::ChangedElsewhere},
        {"update of a removed record", Update, true, OperationStatus::RemovedElsewhere},
        {"removal of a changed record", Remove, false, OperationStatus::ChangedElsewhere},
        {"removal of a removed record", Remove, true, OperationStatus::RemovedElsewhere},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempRegister dir;
        WriteRegister(dir.path(), {kOne, kTwo, kFour});
        SiteRegister reg(QFile::encodeName(dir.path()));
        ASSERT_TRUE(reg.open()); // not watched: the change elsewhere is not known yet
        RegisterFolder otherFolder(QFile::encodeName(dir.path()));
        ASSERT_TRUE(otherFolder.open(false));
        RegisterFiles other(otherFolder);
        ASSERT_TRUE((c.removedElsewhere ? other.remove(2) : other.update(2, kOther)).done());
        const Snapshot before = TakeSnapshot(dir.path());

        const OperationResult result = c.op == Update ? reg.update(2, kFour) : reg.remove(2);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.number, 2);
        EXPECT_EQ(TakeSnapshot(dir.path()), before);
        EXPECT_EQ(reg.sites(), OnDisk(dir.path()));
    }
}

} // namespace
