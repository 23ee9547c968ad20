// The register shared with other writers: hand edits racing updates, and a watched register whose
// lock another program holds.
#include "FaultSupport.h"
#include "RegisterFiles.h"
#include "RegisterLock.h"
#include "SiteRegister.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <iostream>

namespace {

// A hand edit (sed -i) racing updates of the same record: the update's check and replacement
// are one step, so no edit is ever reverted. Each edit adds one "x" to KEY3; updates change only
// the content, in a program that does nothing else, so that many updates meet the edits.
TEST(SharingFaults, handEditsRacingUpdatesAreNeverReverted)
{
    TempRegister reg;
    WriteRegister(reg.path(), {MakeRecord("one", "http://1.jp/")});
    // A few hundred edits race often enough in the everyday suite; SITEKANRI_TRIAL_SCALE=N runs N times as many.
    const int edits = TrialCount("SITEKANRI_RACE_EDITS", 250);
    QProcess updates;
    updates.start(FaultHelperPath(), {reg.path(), QStringLiteral("update")});
    ASSERT_TRUE(updates.waitForStarted());
    // At most a minute and a half of edits, however busy the machine is.
    QProcess sed;
    sed.start(QStringLiteral("bash"), {QStringLiteral("-c"),
        QStringLiteral("i=0; while [ $i -lt %1 ] && [ $SECONDS -lt 90 ]; do"
                       " sed -i 's/^KEY3=\\(x*\\)/KEY3=\\1x/' \"$1/data1.ini\" || exit 1; i=$((i+1)); done; echo $i").arg(edits),
        QStringLiteral("sh"), reg.path()});
    const bool finished = sed.waitForFinished(110000);
    reg.write(QStringLiteral("stop"), "");
    ASSERT_TRUE(updates.waitForFinished(60000));
    ASSERT_TRUE(finished && sed.exitCode() == 0) << sed.readAllStandardError().toStdString();
    const int made = sed.readAllStandardOutput().trimmed().toInt();
    const int updated = updates.readAllStandardOutput().trimmed().toInt();
    const SiteList sites = ReadRegister(reg.path());
    ASSERT_EQ(sites.size(), 1u);
    const int kept = int(sites.at(0).m_keyword3.size());
    std::cout << "edits " << made << ", updates done " << updated << ", edits reverted " << made - kept << "\n";
    EXPECT_GT(updated, 0) << "no update ran beside the edits: the race was not tried";
    EXPECT_EQ(kept, made) << made - kept << " hand edits were reverted";
}

// A watched register whose lock another program holds while files change: nothing waits for the
// lock, and the list catches up once it is free.
TEST(SharingFaults, watchedRegisterNeverWaitsForTheLockAndCatchesUp)
{
    TempRegister reg;
    WriteRegister(reg.path(), {MakeRecord("a", "u"), MakeRecord("b", "u"), MakeRecord("c", "u")});
    SiteRegister watched(QFile::encodeName(reg.path()));
    ASSERT_TRUE(watched.open());
    watched.watch();
    auto holder = std::make_unique<LockHolder>(reg.path());
    ASSERT_EQ(holder->state, "locked");
    // Six files changed by hand while the lock is held.
    for (int number = 1; number <= 5; ++number)
        reg.write(DataFileName(number), "[DATA]\r\nNAME=hand" + QByteArray::number(number) + "\r\nURL=u\r\n");
    reg.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=5\r\n");
    QElapsedTimer total;
    total.start();
    qint64 longest = 0;
    // The watcher gathers for a few ms, then retries while the lock is held; a read that waited for
    // the lock would hold one turn for the lock's whole wait, which no load stretches a turn to.
    while (total.elapsed() < 400) {
        QElapsedTimer turn;
        turn.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        longest = std::max(longest, turn.elapsed());
    }
    EXPECT_LT(longest, RegisterLock::kDefaultWaitMs) << "the event loop waited for the lock";
    holder.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listing(watched.sites()) == "1:hand1 2:hand2 3:hand3 4:hand4 5:hand5"; }, 5000))
        << Listing(watched.sites());
}

} // namespace
