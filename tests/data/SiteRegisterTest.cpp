// The register in memory follows the files: its own operations, and what other programs do in the
// folder while it is watched, announced record by record.
#include "CaseFile.h"
#include "TempRegister.h"

#include <QTest>

#include <cstdio>

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

// Another program at work in the register folder {1, 2, 4} (count 4) while it is watched: the list
// follows within a second, through single-record announcements that keep a view in step.
TEST(SiteRegisterWatch, changesMadeElsewhereAreTakenInRecordByRecord)
{
    for (const CaseRow &c : ReadCaseRows(QStringLiteral(TEST_DATA "/register_watch.tsv"))) {
        SCOPED_TRACE(c.fields[0].toStdString());
        const bool isDamaged = c.fields.value(2) == "damaged";
        OpenRegister opened(std::vector<SiteRecord>(4, MakeRecord("元", "http://o/")), true, {3});
        TempRegister &dir = opened.dir;
        SiteRegister &reg = opened.reg;
        Follower view(reg);
        bool damageTold = false;
        QObject::connect(&reg, &SiteRegister::damageChanged, [&](bool damaged) { damageTold = damaged; });
        FolderFiles other(dir.path());
        for (const QByteArray &step : c.fields.mid(3)) {
            const QList<QByteArray> w = step.split(' '); // verb, number or file, bytes
            const QString file = QString::fromUtf8(w.value(1));
            if (w[0] == "update" || w[0] == "remove" || w[0] == "add")
                w[0] == "add" ? other.files.add(kOther) : w[0] == "update" ? other.files.update(w[1].toInt(), kOther)
                                                                        : other.files.remove(w[1].toInt());
            else
                dir.write(w[0] == "write" ? file : QStringLiteral("sync.tmp"), Unescaped(w.value(2)));
            // As a sync tool does: the new file replaces the old one at once (QFile::rename would not).
            if (w[0] == "rename-in") {
                ASSERT_EQ(std::rename(QFile::encodeName(dir.file(QStringLiteral("sync.tmp"))).constData(),
                                      QFile::encodeName(dir.file(file)).constData()), 0);
            }
        }
        const Reading<LoadedRegister> loaded = other.files.load();
        ASSERT_TRUE(loaded);
        const SiteList &expected = loaded.value.sites;
        EXPECT_TRUE(QTest::qWaitFor([&] { return reg.sites() == expected && reg.isDamaged() == isDamaged; }, 5000));
        EXPECT_EQ(Listing(reg.sites()), Sjis(c.fields[1].constData()).toStdString());
        // Whatever the watcher still had to tell comes before a later edit of record 2.
        dir.write(QStringLiteral("data2.ini"), "[DATA]\r\nNAME=mark\r\n");
        EXPECT_TRUE(QTest::qWaitFor([&] { return reg.sites().at(std::size_t(reg.sites().positionOf(2))).GetName() == "mark"; }, 5000));
        EXPECT_EQ(view.rows, std::vector<SiteRecord>(reg.sites().begin(), reg.sites().end()));
        EXPECT_EQ(view.resets, 0);
        EXPECT_EQ(damageTold, isDamaged);
    }
}

// Our own operations come back from the watcher as changes, and change nothing a second time; a
// new record also brings in those other programs added before it.
TEST(SiteRegisterWatch, ownOperationsAreAnnouncedOnceAndAddsBringInOthers)
{
    OpenRegister opened({MakeRecord("一", "http://1/"), MakeRecord("二", "http://2/")}, true);
    SiteRegister &reg = opened.reg;
    Follower view(reg);
    EXPECT_TRUE(reg.update(1, kOther).done());
    EXPECT_TRUE(reg.remove(2).done());
    // Whatever the watcher still had to tell of them comes before another program's add.
    // A deleted number is never given again: the count stays.
    FolderFiles other(opened.dir.path());
    ASSERT_EQ(other.files.add(kOther).number, 3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return reg.sites().size() == 2; }, 5000));
    EXPECT_EQ(view.announced, 3) << "a change of our own came back as another";

    ASSERT_TRUE(other.files.remove(3).done());
    EXPECT_TRUE(QTest::qWaitFor([&] { return reg.sites().size() == 1; }, 5000));
    ASSERT_EQ(other.files.add(kOther).number, 4);
    EXPECT_EQ(reg.add(kOther).number, 5); // before the watcher has told of the other add
    EXPECT_EQ(reg.sites(), ReadRegister(opened.dir.path()));
    EXPECT_EQ(Listing(reg.sites()), Sjis("1:よそ 4:よそ 5:よそ").toStdString());
    EXPECT_EQ(view.rows, std::vector<SiteRecord>(reg.sites().begin(), reg.sites().end()));
}

// The watcher has already shown another program's change when the user's update or delete
// arrives: the check is against the record as the user saw it, so nothing is written over the
// change, and the list keeps showing it.
TEST(SiteRegisterWatch, updateAndDeleteOfARecordChangedAfterTheUserSawItWriteNothing)
{
    OpenRegister opened({MakeRecord("一", "http://1/"), MakeRecord("二", "http://2/")}, true);
    SiteRegister &reg = opened.reg;
    const QString dir = opened.dir.path();
    const SiteRecord seen1 = reg.sites().at(0), seen2 = reg.sites().at(1);
    FolderFiles other(dir);
    ASSERT_TRUE(other.files.update(1, kOther).done() && other.files.update(2, kOther).done());
    ASSERT_TRUE(QTest::qWaitFor([&] { return reg.sites().at(0) == kOther && reg.sites().at(1) == kOther; }, 1000));
    const Snapshot before = TakeSnapshot(dir);
    EXPECT_EQ(reg.update(1, MakeRecord("typed", "http://typed/"), seen1).status, OperationStatus::ChangedElsewhere);
    EXPECT_EQ(reg.remove(2, seen2).status, OperationStatus::ChangedElsewhere);
    EXPECT_EQ(reg.removeMany({{1, kOther}, {2, seen2}}).status, OperationStatus::ChangedElsewhere);
    EXPECT_EQ(TakeSnapshot(dir), before);
    EXPECT_EQ(reg.sites(), ReadRegister(dir));
}

} // namespace
