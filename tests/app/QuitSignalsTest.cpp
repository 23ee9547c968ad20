// A logout must end the program even when its GUI thread cannot take the close request.
#include <QElapsedTimer>
#include <QThread>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

namespace {

struct QuitCase
{
    const char *mode;     // what the helper's event loop does with a signal
    int sent;             // SIGTERMs sent, 300 ms apart
    bool ends;            // whether the program ends within the served time and a margin
    bool bySignal;        // ended by the signal itself (the program did not close by its own request)
};

TEST(QuitSignals, secondOrUnservedSignalEndsTheProgramAtOnce)
{
    const QuitCase cases[] = {
        {"quits", 1, true, false},   // the usual end: the close request runs
        {"blocked", 1, true, true},  // nobody serves it within two seconds
        {"ignores", 1, false, false}, // served, and the close refused: the program goes on
        {"ignores", 2, true, true},  // a second signal is not asked twice
    };
    for (const QuitCase &c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " x" + std::to_string(c.sent));
        QProcess helper;
        helper.start(QStringLiteral(QUIT_SIGNALS_HELPER), {QString::fromLatin1(c.mode)});
        ASSERT_TRUE(helper.waitForReadyRead(10000));
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < c.sent; ++i) {
            if (i > 0)
                QThread::msleep(300);
            ::kill(pid_t(helper.processId()), SIGTERM);
        }
        // Two seconds to serve, and as much again for a loaded machine; the blocked helper
        // otherwise sleeps for a minute.
        const bool ended = helper.waitForFinished(5000);
        EXPECT_EQ(ended, c.ends) << clock.elapsed() << " ms";
        if (ended) {
            EXPECT_EQ(helper.exitStatus() == QProcess::CrashExit, c.bySignal);
        }
        helper.kill();
        helper.waitForFinished();
    }
}

} // namespace
