#include "FaultSupport.h"
#include "RegisterLock.h"

#include <QFile>

#include <cstdio>

// Programs sharing a register: a program that holds the lock too long makes the next one give up
// with a message naming the register, and a killed holder never locks anybody out. (Writers all at
// once, each add with a number of its own: the stress trial.)
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

} // namespace
