#include "CrashRegister.h"
#include "FaultSupport.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <csignal>
#include <iostream>

#include <sys/wait.h>

// A program adding, updating and deleting records at random on a 3 000-record register with
// gaps, killed (SIGKILL) at random moments, again and again: after every kill each file is
// whole, the register loads to what the finished operations made of it (the one cut short
// counts as done or not done), no record is there twice and none is lost, the next program is
// not locked out, and at most one temporary is ever left.
namespace {

using CrashRegister::Contents;

TEST(CrashTrial, killedOperationsLeaveWholeFilesAndLoseNoRecord)
{
    const int trials = TrialCount("SITEKANRI_CRASH_TRIALS", 150);
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString folder = QDir(root.path()).filePath(QStringLiteral("register"));
    const QString logPath = QDir(root.path()).filePath(QStringLiteral("operations.log"));
    ASSERT_TRUE(QDir().mkpath(folder));
    Contents expected = CrashRegister::WriteStart(folder);

    const quint32 seed = TrialSeed();
    QRandomGenerator random(seed);
    int cutShort = 0, operations = 0, badFiles = 0, wrongLoads = 0;
    QElapsedTimer total;
    total.start();
    for (int trial = 0; trial < trials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial) + ", seed " + std::to_string(seed));
        QFile::remove(logPath);
        QProcess helper;
        helper.start(FaultHelperPath(), {QStringLiteral("churn"), folder, QString::number(seed + quint32(trial)), logPath});
        ASSERT_TRUE(helper.waitForStarted(10000) && helper.waitForReadyRead(10000))
            << "the program did not start: is the register locked out? " << helper.readAllStandardError().toStdString();
        ASSERT_EQ(helper.readLine(), "ready\n");
        ::usleep(useconds_t(random.bounded(40000)));
        ::kill(pid_t(helper.processId()), SIGKILL);
        helper.waitForFinished();
        ASSERT_EQ(helper.exitStatus(), QProcess::CrashExit)
            << "the program ended on its own: " << helper.readAllStandardError().toStdString();

        const QString complaints = CrashRegister::CheckFiles(folder);
        EXPECT_TRUE(complaints.isEmpty()) << complaints.toStdString();
        badFiles += !complaints.isEmpty();
        QFile log(logPath);
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        const Replay after = ReplayLog(expected, log.readAll());
        operations += after.finished;
        const Contents shown = LoadTags(folder);
        cutShort += !after.pending.isEmpty();
        EXPECT_TRUE(ShowsReplay(after, shown)) << "loaded register differs:" << Differences(after.contents, shown);
        wrongLoads += !ShowsReplay(after, shown);
        expected = shown;
    }
    std::cout << "crash trial: " << trials << " kills over " << operations << " finished operations on "
              << CrashRegister::kRecords << " records in " << total.elapsed() / 1000.0 << " s (seed " << seed
              << "); kills that cut an operation short: " << cutShort << ", files not whole: " << badFiles
              << ", loads that lost or doubled a record: " << wrongLoads << "\n";
}

} // namespace
