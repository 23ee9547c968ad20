// The window killed (SIGKILL) at random moments while it registers, updates and deletes on a
// 3 000-record register with gaps: after every kill each record is whole, none is there twice, and
// none the window had finished with is lost; the next window opens and works (no lock-out), and
// killed writes leave no temporaries piling up.
#include "FaultSupport.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "TempRegister.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>
#include <set>

namespace {

using CrashRegister::Contents;

// Records whose name is on the register twice.
int Twice(const Contents &contents)
{
    std::set<QByteArray> seen;
    int twice = 0;
    for (const auto &[number, tag] : contents)
        twice += !seen.insert(tag).second;
    return twice;
}

TEST(WindowCrashTrial, killedWindowLeavesWholeRecordsNoneTwiceNoneLost)
{
    const int trials = TrialCount("SITEKANRI_WINDOW_CRASH_TRIALS", 50);
    // What a kill leaves is the kernel's view of the files, the same on any file system; a RAM
    // disk keeps the trial short.
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir dir(base + QStringLiteral("/sitekanri-window-crash-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    Contents model = CrashRegister::WriteStart(dir.path()); // what the register must hold
    int torn = 0, twice = 0, lost = 0, failed = 0, finished = 0, cutShort = 0;

    const quint32 seed = TrialSeed();
    QRandomGenerator random(seed);
    for (int trial = 0; trial < trials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial) + ", seed " + std::to_string(seed));
        QProcess window;
        window.start(QStringLiteral(WINDOW_OPERATOR), {dir.path(), QStringLiteral("w%1").arg(trial)});
        QByteArray out;
        while (!out.contains("ready\n") && window.waitForReadyRead(20000))
            out += window.readAllStandardOutput();
        ASSERT_TRUE(out.contains("ready\n")) << "the window did not start: " << window.readAllStandardError().toStdString();
        // The kill lands while the window works, however slowly this machine runs it.
        while (!out.contains("begin ") && window.waitForReadyRead(20000))
            out += window.readAllStandardOutput();
        QThread::usleep(random.bounded(60000));
        window.kill();
        window.waitForFinished();
        out += window.readAllStandardOutput();

        // The window's account: finished operations go into the model; the one the kill cut
        // short may be on disk whole, or not at all.
        for (const QByteArray &line : out.split('\n')) {
            if (line.startsWith("fail "))
                ADD_FAILURE() << line.toStdString(), ++failed;
        }
        const Replay replay = ReplayLog(model, out);
        finished += replay.finished;
        cutShort += !replay.pending.isEmpty();
        // A killed write leaves at most its one temporary.
        const QString complaints = CrashRegister::CheckFiles(dir.path(), 1);
        EXPECT_TRUE(complaints.isEmpty()) << complaints.toStdString();
        torn += !complaints.isEmpty();
        const Contents found = LoadTags(dir.path());
        twice += Twice(found);
        EXPECT_TRUE(ShowsReplay(replay, found)) << "not what the window left:" << Differences(replay.contents, found);
        lost += !ShowsReplay(replay, found);
        model = found;
    }
    // Nobody holds the lock after the last kill: an operation that does not wait gets it.
    RegisterFolder folder(QFile::encodeName(dir.path()));
    ASSERT_TRUE(folder.open(false));
    EXPECT_TRUE(RegisterFiles(folder, 0).add(MakeRecord("after", "http://after.example/")).done());

    std::cout << "window crash trial: " << trials << " kills (seed " << seed << "), " << finished
              << " operations finished, " << cutShort << " cut short; torn: " << torn << ", twice: " << twice
              << ", lost: " << lost << ", failed: " << failed << "\n";
    EXPECT_EQ(twice, 0);
    // Every kill came after an operation had begun: it finished or was cut short.
    EXPECT_GE(finished + cutShort, trials);
}

} // namespace
