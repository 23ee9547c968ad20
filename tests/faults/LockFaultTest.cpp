#include "FaultSupport.h"
#include "RegisterLock.h"
#include "SiteStore.h"
#include "TempRegister.h"

#include <QFile>
#include <QProcess>

// One program at a time owns a register; a lock left by a killed run does not keep it locked.
namespace {

// A second program that holds the register's lock until it is told to stop or killed.
class LockHolder
{
public:
    explicit LockHolder(const QString &directory)
    {
        m_process.start(FaultHelperPath(), {QStringLiteral("hold-lock"), directory});
        if (m_process.waitForStarted(10000) && m_process.waitForReadyRead(10000))
            m_state = m_process.readLine().trimmed();
    }
    ~LockHolder()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished();
    }
    QByteArray state() const { return m_state; }
    void kill()
    {
        m_process.kill(); // SIGKILL: no chance to remove the lock file
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
    QByteArray m_state;
};

ProgramRun cliAdd(const QString &directory)
{
    return RunProgram(CliPath(), {QStringLiteral("--dir"), directory, QStringLiteral("add"), QStringLiteral("--name"),
                                  QStringLiteral("n"), QStringLiteral("--url"), QStringLiteral("u")});
}

std::size_t recordCount()
{
    SiteStore store;
    EXPECT_TRUE(store.Load());
    return store.m_sites.size();
}

#define SKIP_WITHOUT_CLI()                                                                                     \
    if (CliPath().isEmpty())                                                                                   \
    GTEST_SKIP() << "sitekanri-cli is not part of this build"

TEST(RegisterLockFault, lockHeldByAnotherProgramRefusesThisOneAndTheCli)
{
    SKIP_WITHOUT_CLI();
    TempRegister reg;
    SaveSimpleRegister(2);
    const Snapshot before = TakeSnapshot(reg.path());
    {
        LockHolder holder(reg.path());
        ASSERT_EQ(holder.state(), "locked");
        RegisterLock second(reg.path());
        EXPECT_EQ(second.tryLock(), RegisterLock::State::HeldByOther);
        const ProgramRun run = cliAdd(reg.path());
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(QString::fromUtf8(run.err).contains(reg.path())) << run.err.toStdString();
        Snapshot during = TakeSnapshot(reg.path());
        during.erase(RegisterLock::lockFileName());
        EXPECT_EQ(during, before);
    }
    RegisterLock after(reg.path());
    EXPECT_EQ(after.tryLock(), RegisterLock::State::Locked);
}

TEST(RegisterLockFault, cliAddIsRefusedWhileThisProgramHoldsTheLock)
{
    SKIP_WITHOUT_CLI();
    TempRegister reg;
    SaveSimpleRegister(2);
    {
        RegisterLock lock(reg.path());
        ASSERT_EQ(lock.tryLock(), RegisterLock::State::Locked);
        EXPECT_EQ(cliAdd(reg.path()).exitCode, 1);
        EXPECT_EQ(recordCount(), 2u);
    }
    EXPECT_EQ(cliAdd(reg.path()).exitCode, 0);
    EXPECT_EQ(recordCount(), 3u);
}

TEST(RegisterLockFault, lockOfAKilledProgramIsRecovered)
{
    SKIP_WITHOUT_CLI();
    TempRegister reg;
    SaveSimpleRegister(2);
    LockHolder holder(reg.path());
    ASSERT_EQ(holder.state(), "locked");
    holder.kill();
    ASSERT_TRUE(QFile::exists(reg.file(RegisterLock::lockFileName()))) << "the killed run left its lock behind";

    const ProgramRun run = cliAdd(reg.path());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(recordCount(), 3u);
    RegisterLock lock(reg.path());
    EXPECT_EQ(lock.tryLock(), RegisterLock::State::Locked);
}

} // namespace
