// Many records at once: what a sync tool brings is read a slice at a time with the event loop
// turning between slices, an operation tells its end once, and what a large delete moved aside
// goes without anyone waiting for it.
#include "TempRegister.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <numeric>

#include <gtest/gtest.h>

namespace {

QByteArray FileOf(const QByteArray &name)
{
    return "[DATA]\r\nNAME=" + name + "\r\nURL=http://" + name + ".example.jp/\r\n";
}

QStringList Written(TempRegister &dir, int first, int last, const QByteArray &prefix)
{
    QStringList names;
    for (int number = first; number <= last; ++number) {
        names << DataFileName(number);
        dir.write(names.back(), FileOf(prefix + QByteArray::number(number)));
    }
    return names;
}

// With no time given to a slice, each reads its least: the list grows by that many per call, and
// the rest follows as the event loop turns, as rows announced one block or one row at a time.
TEST(SiteRegisterBatch, manyFilesFromElsewhereAreReadASliceAtATime)
{
    OpenRegister opened({MakeRecord("一", "http://1/"), MakeRecord("二", "http://2/")});
    TempRegister &dir = opened.dir;
    SiteRegister &reg = opened.reg;
    reg.setSliceMs(0);
    QSignalSpy resets(&reg, &SiteRegister::wasReset);
    constexpr int kLast = 2 + 3 * SiteRegister::kLeastPerSlice;

    // A raised count, seen as the watcher sees it when it lost track of the names (everything read
    // again): followed part of the way at once, the rest later. A file over the size limit in a
    // data file's place is passed over and named, as a load passes over it.
    QStringList names = Written(dir, 3, kLast, "new");
    dir.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=" + QByteArray::number(kLast) + "\r\n");
    QFile big(dir.file(QStringLiteral("data2.ini"))); // sparse: nothing to write
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(RegisterFolder::kMaxFileSize + 1));
    big.close();
    QSignalSpy passedOver(&reg, &SiteRegister::filesPassedOver);
    reg.refreshAll();
    EXPECT_EQ(reg.sites().size(), std::size_t(2 + SiteRegister::kLeastPerSlice));
    EXPECT_TRUE(QTest::qWaitFor([&] { return reg.sites().size() == std::size_t(kLast - 1); }, 5000));
    EXPECT_EQ(reg.sites().positionOf(2), -1);
    ASSERT_EQ(passedOver.size(), 1);
    EXPECT_TRUE(passedOver[0][0].value<std::vector<IoResult>>().at(0).file.endsWith(QStringLiteral("data2.ini")));

    // Records changed in place: read a slice at a time too.
    names = Written(dir, 1, kLast, "edited");
    reg.refresh(names);
    const SiteList onDisk = ReadRegister(dir.path());
    const int changed = std::transform_reduce(onDisk.begin(), onDisk.end(), reg.sites().begin(), 0, std::plus<>(), std::equal_to<>());
    EXPECT_EQ(changed, SiteRegister::kLeastPerSlice);
    EXPECT_TRUE(QTest::qWaitFor([&] { return reg.sites() == onDisk; }, 5000));
    EXPECT_EQ(resets.count(), 0);
}

// A view rebuilds what depends on the whole list (the keywords offered) once per operation, not
// once per record announced.
TEST(SiteRegisterBatch, anOperationTellsOnceThatTheListChanged)
{
    OpenRegister opened(std::vector<SiteRecord>(6, MakeRecord("同じ", "http://same/")));
    SiteRegister &reg = opened.reg;
    QSignalSpy told(&reg, &SiteRegister::listChanged), removed(&reg, &SiteRegister::recordsRemoved);
    ASSERT_TRUE(reg.removeMany({{1, reg.sites().at(0)}, {3, reg.sites().at(2)}, {5, reg.sites().at(4)}}).done());
    EXPECT_EQ(removed.count(), 3);
    EXPECT_EQ(told.count(), 1);
    ASSERT_TRUE(reg.addMany({MakeRecord("a", "http://a/"), MakeRecord("b", "http://b/")}).done());
    EXPECT_EQ(told.count(), 2);
}

// Deleting many records: their files are gone when the delete returns, and the copies moved
// aside are removed soon after, without the delete waiting for them.
TEST(SiteRegisterBatch, manyDeletedFilesLeaveNoTemporaryBehind)
{
    OpenRegister opened(std::vector<SiteRecord>(60, MakeRecord("同じ", "http://same/")));
    TempRegister &dir = opened.dir;
    SiteRegister &reg = opened.reg;
    std::vector<std::pair<int, SiteRecord>> seen;
    for (int number = 2; number <= 50; ++number)
        seen.emplace_back(number, reg.sites().at(std::size_t(number - 1)));
    ASSERT_TRUE(reg.removeMany(seen).done());
    EXPECT_EQ(reg.sites().size(), 11u);
    // (Not loaded again before: a load removes any writer's temporaries too.)
    const auto temporaries = [&] {
        const QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        return std::count_if(names.begin(), names.end(), &RegisterFolder::isTemporaryName);
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return temporaries() == 0; }, 5000)) << temporaries() << " left";
    EXPECT_EQ(ReadRegister(dir.path()), reg.sites());
}

// One reading under one lock tells of each number in turn: a record, none (no file, or above the
// count), or a file that is there but cannot be read, which is not the same as gone.
TEST(RegisterFilesReadEach, tellsRecordsGapsAndUnreadableFilesUntilTold)
{
    TempRegister dir;
    WriteRegister(dir.path(), std::vector<SiteRecord>(5, MakeRecord("同じ", "http://same/")), {3});
    QFile big(dir.file(QStringLiteral("data2.ini"))); // sparse: nothing to write
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(RegisterFolder::kMaxFileSize + 1));
    dir.write(QStringLiteral("data9.ini"), FileOf("above"));
    QStringList told;
    ASSERT_TRUE(FolderFiles(dir.path()).files.readEach({1, 2, 3, 9, 4, 5}, [&](int number, const IoResult &read, const SiteRecord *record) {
        told << QStringLiteral("%1%2").arg(number).arg(QLatin1String(!read ? "!" : record ? "+" : "-"));
        return number != 4;
    }));
    EXPECT_EQ(told.join(u' '), QStringLiteral("1+ 2! 3- 9- 4+"));
}

} // namespace
