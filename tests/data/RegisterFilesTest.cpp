#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "RegisterLock.h"
#include "TempRegister.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kSetting = QStringLiteral("setting.ini");

QByteArray dataFile(const QByteArray &name)
{
    return "[DATA]\r\nNAME=" + name + "\r\nURL=u\r\nKEY1=\r\nKEY2=\r\nKEY3=\r\nINDATA=\r\n";
}

QByteArray countFile(int count)
{
    return "[SETTING]\r\nDATA_CNT=" + QByteArray::number(count) + "\r\n";
}

SiteRecord named(const QByteArray &name)
{
    SiteRecord record;
    record.m_name = name;
    record.m_url = "u";
    return record;
}

// The folder's files but the lock file, which any operation may leave (empty) behind.
Snapshot filesOf(const QString &folder)
{
    Snapshot files = TakeSnapshot(folder);
    files.erase(RegisterLock::lockFileName());
    return files;
}

// The register of one test: a temporary folder and the register's files on it.
struct Register
{
    TempRegister dir;
    RegisterFolder folder{QFile::encodeName(dir.path())};
    RegisterFiles files{folder, 200};

    // Numbers and names loaded, as "number:name …" in register order.
    std::string loaded(bool *damaged = nullptr)
    {
        SiteList sites;
        bool isDamaged = false;
        EXPECT_TRUE(files.load(sites, isDamaged));
        if (damaged)
            *damaged = isDamaged;
        std::string out;
        for (std::size_t i = 0; i < sites.size(); ++i)
            out += (i ? " " : "") + std::to_string(sites.number(i)) + ':' + sites.at(i).m_name.toStdString();
        return out;
    }
};

TEST(RegisterFiles, loadPassesOverGapsAndFilesAboveTheCount)
{
    Register reg;
    reg.dir.write(kSetting, countFile(5));
    for (int n : {1, 3, 5, 6, 9})
        reg.dir.write(DataFileName(n), dataFile("r" + QByteArray::number(n)));
    reg.dir.write(QStringLiteral("data02.ini"), dataFile("zero-padded"));
    QDir(reg.dir.path()).mkdir(QStringLiteral("data4.ini")); // a folder counts as missing
    EXPECT_EQ(reg.loaded(), "1:r1 3:r3 5:r5");
}

TEST(RegisterFiles, addWritesTheNextNumberFreshThenTheCount)
{
    Register reg;
    reg.dir.write(kSetting, "[SETTING]\r\nDATA_CNT=2\r\nOTHER=kept\r\n");
    reg.dir.write(DataFileName(2), dataFile("two"));
    // What a longer list once left at number 3: replaced whole, never merged.
    reg.dir.write(DataFileName(3), "[DATA]\r\nNAME=old\r\nEXTRA=stale\r\n");
    const OperationResult added = reg.files.add(named("new"));
    ASSERT_TRUE(added.done()) << added.io.describe().toStdString();
    EXPECT_EQ(added.number, 3);
    EXPECT_EQ(reg.dir.read(DataFileName(3)), dataFile("new"));
    EXPECT_EQ(reg.dir.read(kSetting), "[SETTING]\r\nDATA_CNT=3\r\nOTHER=kept\r\n");
    EXPECT_EQ(reg.loaded(), "2:two 3:new");
    EXPECT_FALSE(reg.dir.exists(QStringLiteral(".sitekanri.tmp")));
}

TEST(RegisterFiles, addManyWritesTheCountOnce)
{
    Register reg;
    const OperationResult added = reg.files.addMany({named("a"), named("b"), named("c")});
    ASSERT_TRUE(added.done());
    EXPECT_EQ(added.number, 1);
    EXPECT_EQ(reg.loaded(), "1:a 2:b 3:c");
    // A record the format cannot hold refuses all of them before anything is written.
    SiteRecord broken = named("x");
    broken.m_url = "a\nb";
    EXPECT_EQ(reg.files.addMany({named("d"), broken}).status, OperationStatus::Failed);
    EXPECT_FALSE(reg.dir.exists(DataFileName(4)));
    EXPECT_EQ(reg.dir.read(kSetting), countFile(3));
}

// update and remove compare the file with what the caller loaded before they write anything.
TEST(RegisterFiles, updateAndRemoveWriteNothingWhenTheFileChangedOrWent)
{
    struct Case
    {
        const char *name;
        bool remove;
        int number;
        QByteArray onDisk; // data2.ini before; empty: missing
        OperationStatus status;
    };
    const Case cases[] = {
        {"update", false, 2, dataFile("two"), OperationStatus::Done},
        {"update changed elsewhere", false, 2, dataFile("edited"), OperationStatus::ChangedElsewhere},
        {"update removed elsewhere", false, 2, {}, OperationStatus::RemovedElsewhere},
        {"update above the count", false, 4, dataFile("two"), OperationStatus::RemovedElsewhere},
        {"remove", true, 2, dataFile("two"), OperationStatus::Done},
        {"remove changed elsewhere", true, 2, dataFile("edited"), OperationStatus::ChangedElsewhere},
        {"remove removed elsewhere", true, 2, {}, OperationStatus::RemovedElsewhere},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Register reg;
        reg.dir.write(kSetting, countFile(3));
        reg.dir.write(DataFileName(1), dataFile("one"));
        reg.dir.write(DataFileName(3), dataFile("three"));
        if (!c.onDisk.isEmpty())
            reg.dir.write(DataFileName(2), c.onDisk);
        const Snapshot before = filesOf(reg.dir.path());
        const SiteRecord expected = named("two");
        const OperationResult result = c.remove ? reg.files.remove(c.number, &expected)
                                                : reg.files.update(c.number, named("changed"), &expected);
        EXPECT_EQ(result.status, c.status);
        if (c.status != OperationStatus::Done)
            EXPECT_EQ(filesOf(reg.dir.path()), before);
        else if (c.remove)
            EXPECT_FALSE(reg.dir.exists(DataFileName(2)));
        else
            EXPECT_EQ(reg.dir.read(DataFileName(2)), dataFile("changed"));
    }
}

TEST(RegisterFiles, updateKeepsOtherLinesAndSkipsAnUnchangedFile)
{
    Register reg;
    reg.dir.write(kSetting, countFile(1));
    reg.dir.write(DataFileName(1), "[DATA]\r\nNAME=a\r\nURL=u\r\n[MINE]\r\nX=1\r\n");
    ASSERT_TRUE(reg.files.update(1, named("b")).done());
    EXPECT_EQ(reg.dir.read(DataFileName(1)),
              "[DATA]\r\nNAME=b\r\nURL=u\r\nKEY1=\r\nKEY2=\r\nKEY3=\r\nINDATA=\r\n[MINE]\r\nX=1\r\n");
    struct stat before {}, after {};
    ::stat(QFile::encodeName(reg.dir.file(DataFileName(1))).constData(), &before);
    ASSERT_TRUE(reg.files.update(1, named("b")).done());
    ::stat(QFile::encodeName(reg.dir.file(DataFileName(1))).constData(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino) << "an unchanged record was rewritten";
}

TEST(RegisterFiles, removingTheHighestLowersTheCountToTheHighestLeft)
{
    struct Case
    {
        int count;
        std::vector<int> present;
        int removed;
        int countAfter;
    };
    const Case cases[] = {
        {3, {1, 2, 3}, 3, 2},
        {5, {1, 2, 5}, 5, 2},        // over a gap
        {5, {5}, 5, 0},              // the last one
        {3, {1, 2, 3}, 2, 3},        // not the highest: the count stays
        {1000, {1, 7, 1000}, 1000, 7}, // a gap too long to probe name by name
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.countAfter);
        Register reg;
        reg.dir.write(kSetting, countFile(c.count));
        for (int n : c.present)
            reg.dir.write(DataFileName(n), dataFile("r"));
        ASSERT_TRUE(reg.files.remove(c.removed).done());
        EXPECT_EQ(reg.dir.read(kSetting), countFile(c.countAfter));
    }
}

TEST(RegisterFiles, restoreTakesBackAFreeNumberWithoutBringingBackFilesAboveTheCount)
{
    struct Case
    {
        const char *name;
        int count;
        std::vector<int> present;
        int number;
        int placed;
        int countAfter;
    };
    const Case cases[] = {
        {"a gap within the count", 4, {1, 4}, 2, 2, 4},
        {"just above the count", 2, {1, 2}, 3, 3, 3},
        {"above a file left above the count", 2, {1, 2, 3}, 4, 3, 3},
        {"taken", 2, {1, 2}, 2, 3, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Register reg;
        reg.dir.write(kSetting, countFile(c.count));
        for (int n : c.present)
            reg.dir.write(DataFileName(n), dataFile("old"));
        const OperationResult restored = reg.files.restore(c.number, named("back"));
        ASSERT_TRUE(restored.done());
        EXPECT_EQ(restored.number, c.placed);
        EXPECT_EQ(reg.dir.read(DataFileName(c.placed)), dataFile("back"));
        EXPECT_EQ(reg.dir.read(kSetting), countFile(c.countAfter));
    }
}

} // namespace
