// The window adding, updating and deleting records at random on a 1 000-record register with gaps
// through its own operations, killed (SIGKILL) at random moments, again and again. After every kill
// each file is whole, at most the one temporary of the write cut short is left, the register loads
// to what the finished operations made of it (the one cut short counts as done or not done), so no
// record is there twice and none is lost, and the next program is not locked out.
#include "CrashRegister.h"
#include "FaultSupport.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"

#include <QFile>

#include <iostream>

namespace {

using CrashRegister::Contents;

TEST(CrashTrial, killedWindowLeavesWholeRecordsNoneTwiceNoneLost)
{
    QTemporaryDir dir(TrialFolderBase() + QStringLiteral("/sitekanri-crash-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    Contents expected = CrashRegister::WriteStart(dir.path());
    const quint32 seed = TrialSeed();
    const int kills = TrialCount("SITEKANRI_WINDOW_CRASH_TRIALS", 10);
    QRandomGenerator random(seed);
    int finished = 0, cutShort = 0, wrong = 0;
    for (int trial = 0; trial < kills && !HasFatalFailure(); ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial) + ", seed " + std::to_string(seed));
        // A window operation takes a few milliseconds: a kill within 60 ms of the first lands at
        // any point of several, and the register does not grow much between kills.
        const QByteArray said = KillWhileWorking(QStringLiteral(WINDOW_OPERATOR),
                                                 {dir.path(), QStringLiteral("w%1").arg(seed + quint32(trial))}, random, 60000);
        for (const QByteArray &line : said.split('\n')) {
            if (line.startsWith("fail "))
                ADD_FAILURE() << line.toStdString();
        }
        const Replay replay = ReplayLog(expected, said);
        // The window keeps a deleted record's file for its undo: a killed write leaves only its one
        // temporary.
        const QString complaints = CrashRegister::CheckFiles(dir.path(), 1);
        EXPECT_TRUE(complaints.isEmpty()) << complaints.toStdString();
        const Contents shown = LoadTags(dir.path());
        EXPECT_TRUE(ShowsReplay(replay, shown)) << "the register differs:" << Differences(replay.contents, shown);
        wrong += !complaints.isEmpty() || !ShowsReplay(replay, shown);
        finished += replay.finished;
        cutShort += !replay.pending.isEmpty();
        expected = shown;
    }
    // Nobody holds the lock after the last kill: an operation that does not wait gets it.
    RegisterFolder folder(QFile::encodeName(dir.path()));
    ASSERT_TRUE(folder.open(false));
    EXPECT_TRUE(RegisterFiles(folder, 0).add(MakeRecord("after", "http://after.example/")).done());
    std::cout << kills << " kills (seed " << seed << ") over " << finished << " finished operations, " << cutShort
              << " cut short; kills that left a wrong register: " << wrong << "\n";
}

} // namespace
