#include "FaultSupport.h"
#include "RegisterLock.h"
#include "SiteStore.h"

#include <QFile>
#include <QProcess>

// One program at a time owns a register; a lock left by a killed run does not keep it locked.
namespace {

// A second program that holds the register's lock until its input closes or it is killed.
struct LockHolder
{
    explicit LockHolder(const QString &directory)
    {
        process.start(FaultHelperPath(), {QStringLiteral("hold-lock"), directory});
        if (process.waitForStarted(10000) && process.waitForReadyRead(10000))
            state = process.readLine().trimmed();
    }
    ~LockHolder()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(10000))
            process.kill();
        process.waitForFinished();
    }
    QProcess process;
    QByteArray state;
};

ProgramRun cli(const QString &directory, const char *command, const char *name = "n")
{
    QStringList args{QStringLiteral("--dir"), directory, QString::fromLatin1(command)};
    if (QByteArray(command) == "add")
        args << QStringLiteral("--name") << QString::fromLatin1(name) << QStringLiteral("--url") << QStringLiteral("u");
    return RunProgram(CliPath(), args);
}

#define SKIP_WITHOUT_CLI()                                                                                     \
    if (CliPath().isEmpty())                                                                                   \
    GTEST_SKIP() << "sitekanri-cli is not part of this build"

TEST(RegisterLockFault, lockHeldByAnotherProgramRefusesThisOneAndCliAdd)
{
    SKIP_WITHOUT_CLI();
    TempRegister reg;
    SaveSimpleRegister(2);
    const Snapshot before = TakeSnapshot(reg.path());
    {
        LockHolder holder(reg.path());
        ASSERT_EQ(holder.state, "locked");
        const ProgramRun run = cli(reg.path(), "add");
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.startsWith("sitekanri-cli: ") && run.err.contains("使用中")) << run.err.toStdString();
        EXPECT_TRUE(QString::fromUtf8(run.err).contains(reg.path())) << run.err.toStdString();
        Snapshot during = TakeSnapshot(reg.path());
        during.erase(RegisterLock::lockFileName());
        EXPECT_EQ(during, before);
        EXPECT_EQ(cli(reg.path(), "list").out, "site0\thttp://example.jp/0\t\t\t\t\nsite1\thttp://example.jp/1\t\t\t\t\n")
            << "reading needs no lock";
    }
}

TEST(RegisterLockFault, lockOfAKilledProgramIsRecovered)
{
    SKIP_WITHOUT_CLI();
    TempRegister reg;
    SaveSimpleRegister(2);
    {
        LockHolder holder(reg.path());
        ASSERT_EQ(holder.state, "locked");
        holder.process.kill(); // SIGKILL: no chance to remove the lock file
        holder.process.waitForFinished();
    }
    ASSERT_TRUE(QFile::exists(reg.file(RegisterLock::lockFileName()))) << "the killed run left its lock behind";
    const ProgramRun run = cli(reg.path(), "add", "third");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    SiteStore store;
    ASSERT_TRUE(store.Load());
    EXPECT_EQ(store.m_sites.size(), 3u);
}

} // namespace
