// A watched register whose lock another program holds. (Hand edits racing updates: the stress
// trial; each moment of an update they can meet: register_files.txt.)
#include "FaultSupport.h"
#include "RegisterLock.h"
#include "SiteRegister.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

namespace {

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
