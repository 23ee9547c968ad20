// Conflict copies that file-sync tools leave in a register folder: recognised by name, taken back
// in as records, and the same result on two computers that take in the same copies at once.
#include "CaseFile.h"
#include "ConflictCopyName.h"
#include "CopyTakeIn.h"
#include "SiteClock.h"
#include "OutsideText.h"
#include "RegisterLock.h"
#include "RegisterWatcher.h"
#include "TempRegister.h"

#include <QDir>
#include <QTest>

#include <cstdio>

#include <unistd.h>

namespace {

SiteRecord named(const char *name)
{
    return MakeRecord(name, "");
}

// The names in `dir` that are not the register's own files.
std::string OtherFiles(const QString &dir)
{
    QStringList names = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    names.removeIf([](const QString &name) { return DataFileNumber(name) || name == u"setting.ini" || name == u"sitekanri.lock"; });
    return names.isEmpty() ? "-" : names.join(u' ').toStdString();
}

TEST(ConflictCopyName, namesOfEverySyncToolAreRecognised)
{
    for (const CaseRow &c : ReadCaseRows(QStringLiteral(TEST_DATA "/conflict_names.tsv"))) {
        const QString name = QString::fromUtf8(c.fields[0]);
        SCOPED_TRACE(name.toStdString());
        const ConflictCopyName copy = ConflictCopyName::parse(name);
        EXPECT_EQ(copy.isCopy() ? copy.original.toStdString() : "-", c.fields.value(1).toStdString());
        EXPECT_EQ(copy.tool.toStdString(), c.fields.value(2).toStdString());
    }
}

// Both computers take in the same copies before either sees the other's result: they make the same
// files, so the sync tool has nothing to set aside again. One of them is a window that holds the
// register as it was before the files came, the other a program that reads it all.
TEST(CopyTakeIn, copiesBecomeRecordsOnceAndGo_theSameOnEveryComputer)
{
    const HeldSiteClock clock(1796824800); // both computers write in the same second
    for (const CaseRow &c : ReadCaseRows(QStringLiteral(TEST_DATA "/conflict_intake.tsv"))) {
        SCOPED_TRACE(c.fields[0].toStdString());
        TempRegister one, two;
        for (const TempRegister *dir : {&one, &two}) {
            WriteRegister(dir->path(), {named("a"), named("b"), named("c")});
            const SiteList shown = ReadRegister(dir->path());
            for (const QByteArray &step : c.fields.mid(4)) {
                const qsizetype space = step.lastIndexOf(' '); // names may hold blanks; the bytes here hold none
                const QString file = QString::fromUtf8(step.left(space));
                QDir(dir->path()).mkpath(QFileInfo(dir->file(file)).path());
                dir->write(file, Unescaped(step.mid(space + 1)));
            }
            std::vector<ConflictCopy> copies;
            FolderFiles other(dir->path());
            const OperationResult result = dir == &one ? other.files.takeIn(copies, &shown, 3) : other.files.takeIn(copies);
            ASSERT_TRUE(result.done()) << result.io.describe().toStdString();
        }
        EXPECT_EQ(TakeSnapshot(one.path()), TakeSnapshot(two.path()));
        EXPECT_EQ(Listing(ReadRegister(one.path())), c.fields[1].toStdString());
        EXPECT_EQ(one.read(QStringLiteral("setting.ini")), "[SETTING]\r\nDATA_CNT=" + c.fields[2] + "\r\n");
        EXPECT_EQ(OtherFiles(one.path()), c.fields[3].toStdString());
    }
}

// A copy named after a computer whose name is in another code (not UTF-8) is handled by its bytes,
// as a register folder's name is: taken in, removed, and named with the byte shown as such.
TEST(CopyTakeIn, aCopyWhoseNameIsNotUtf8IsTakenInByItsBytes)
{
    TempRegister dir;
    WriteRegister(dir.path(), {named("a")});
    const QByteArray raw = QFile::encodeName(dir.path()) + "/data1 (\xE9" "cole's conflicted copy 2026-12-07).ini";
    QFile copy;
    ASSERT_TRUE(copy.open(::fopen(raw.constData(), "wb"), QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    copy.write("[DATA]\r\nNAME=b\r\n");
    copy.close();
    std::vector<ConflictCopy> copies;
    ASSERT_TRUE(FolderFiles(dir.path()).files.takeIn(copies).done());
    EXPECT_EQ(Listing(ReadRegister(dir.path())), "1:a 2:b");
    EXPECT_NE(::access(raw.constData(), F_OK), 0) << "the copy is still there";
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(OutsideText::inMessage(copies[0].file).toStdString(), "data1 (\\xE9cole's conflicted copy 2026-12-07).ini");
}

// A copy arriving while another program holds the lock for an operation is taken in by the window
// once the lock is free, once, and told once.
TEST(CopyTakeIn, copyArrivingDuringAnOperationIsTakenInAfterIt)
{
    OpenRegister opened({named("a"), named("b")}, true);
    TempRegister &dir = opened.dir;
    SiteRegister &reg = opened.reg;
    std::vector<std::vector<ConflictCopy>> told;
    QObject::connect(&reg, &SiteRegister::conflictCopiesTakenIn,
                     [&](const std::vector<ConflictCopy> &copies) { told.push_back(copies); });
    FolderFiles elsewhere(dir.path());
    {
        RegisterLock operation(elsewhere.folder, RegisterLock::Mode::Exclusive);
        ASSERT_EQ(operation.state(), RegisterLock::State::Locked);
        dir.write(QStringLiteral("data2 (conflicted copy 2026-12-07 144956).ini"), "[DATA]\r\nNAME=b2\r\n");
        QTest::qWait(300);
        EXPECT_TRUE(told.empty()) << "taken in while another program held the lock";
        EXPECT_TRUE(dir.exists(QStringLiteral("data2 (conflicted copy 2026-12-07 144956).ini")));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return reg.sites().size() == 3; }, 3000));
    QTest::qWait(5 * RegisterWatcher::kGatherMs);
    EXPECT_EQ(Listing(ReadRegister(dir.path())), "1:a 2:b 3:b2");
    EXPECT_EQ(reg.sites(), ReadRegister(dir.path()));
    ASSERT_EQ(told.size(), 1u);
    ASSERT_EQ(told[0].size(), 1u);
    EXPECT_EQ(told[0][0].number, 3);
    EXPECT_EQ(OtherFiles(dir.path()), "-");
}

// The twin of a record put back under a new number may arrive after it, as an edit of the record
// under its old number: the open window settles the two then, not only its next start.
TEST(CopyTakeIn, aTwinArrivingAfterItsMarkedRecordIsSettledByTheOpenWindow)
{
    OpenRegister opened({named("a"), named("b")}, true);
    TempRegister &dir = opened.dir;
    dir.write(QStringLiteral("data3.ini"), "[DATA]\r\nNAME=x\r\n[SITEKANRI]\r\nTAKENIN=2\r\n");
    dir.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=3\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.reg.sites().size() == 3; }, 3000));
    QTest::qWait(5 * RegisterWatcher::kGatherMs);
    dir.write(QStringLiteral("data2.ini"), "[DATA]\r\nNAME=x\r\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dir.exists(QStringLiteral("data2.ini")); }, 3000)) << "the twin stays";
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listing(opened.reg.sites()) == "1:a 3:x"; }, 3000)) << Listing(opened.reg.sites());
}

} // namespace
