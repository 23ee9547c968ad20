#include "FaultSupport.h"
#include "RegisterLock.h"
#include "SiteStore.h"

#include <QFile>
#include <QProcess>

#include <cstdio>
#include <memory>

// Programs sharing a register: each operation holds the lock only while it runs, a program that
// holds it too long makes the next one give up with a message naming the register, and a killed
// holder never locks anybody out.
namespace {

const QStringList kAddThird{QStringLiteral("add"), QStringLiteral("--name"), QStringLiteral("third"), QStringLiteral("--url"), QStringLiteral("u")};

// A sync tool replacing sitekanri.lock by rename while a writer holds it must not let a second
// writer in: the lock is on the folder, which no rename replaces.
TEST(RegisterLockFault, heldLockMakesCliAddGiveUpNamingTheRegister_killedHolderLocksNobodyOut)
{
    TempRegister reg;
    WriteRegister(reg.path(), {MakeRecord("a", "u"), MakeRecord("b", "u")});
    LockHolder holder(reg.path());
    ASSERT_EQ(holder.state, "locked");
    reg.write(QStringLiteral("replacement"), "synced from another computer\n");
    ASSERT_EQ(std::rename(QFile::encodeName(reg.file(QStringLiteral("replacement"))).constData(),
                          QFile::encodeName(reg.file(RegisterLock::lockFileName())).constData()), 0);
    const Snapshot before = TakeSnapshot(reg.path());
    const ProgramRun run = RunCli(reg.path(), kAddThird);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("使用中") && QString::fromUtf8(run.err).contains(reg.path())) << run.err.toStdString();
    // A folder without conflict copies has no intake to fail.
    EXPECT_FALSE(run.err.contains("競合コピー")) << run.err.toStdString();
    EXPECT_EQ(TakeSnapshot(reg.path()), before);

    holder.process.kill(); // SIGKILL: nothing is cleaned up
    holder.process.waitForFinished();
    const ProgramRun after = RunCli(reg.path(), kAddThird);
    EXPECT_EQ(after.exitCode, 0) << after.err.toStdString();
    EXPECT_EQ(after.out, "3\n");
}

// Adds started all at once each get a number of their own.
TEST(RegisterLockFault, twentySimultaneousAddsAllSucceed)
{
    TempRegister reg;
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < 20; ++i) {
        runs.push_back(std::make_unique<QProcess>());
        runs.back()->start(CliPath(), {QStringLiteral("--dir"), reg.path(), QStringLiteral("add"), QStringLiteral("--name"), QString::number(i),
                                       QStringLiteral("--url"), QStringLiteral("u")});
    }
    QStringList numbers;
    for (const auto &run : runs) {
        ASSERT_TRUE(run->waitForFinished(30000));
        EXPECT_EQ(run->exitCode(), 0) << run->readAllStandardError().toStdString();
        numbers << QString::fromLatin1(run->readAllStandardOutput().trimmed());
    }
    numbers.sort();
    numbers.removeDuplicates();
    EXPECT_EQ(numbers.size(), 20);
    SiteStore store;
    ASSERT_TRUE(store.Load());
    EXPECT_EQ(store.m_sites.size(), 20u);
    EXPECT_EQ(reg.read(QStringLiteral("setting.ini")), "[SETTING]\r\nDATA_CNT=20\r\n");
}

} // namespace
