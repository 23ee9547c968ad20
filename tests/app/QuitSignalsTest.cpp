// A logout must end the program even when its GUI thread cannot take the close request.
#include <QElapsedTimer>
#include <QThread>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <memory>
#include <vector>

namespace {

struct QuitCase
{
    const char *mode;     // what the helper's event loop does with a signal
    int sent;             // SIGTERMs sent, 300 ms apart (one or two)
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
    // The helpers run side by side: one waits out the time within which the others must end.
    std::vector<std::unique_ptr<QProcess>> helpers;
    for (const QuitCase &c : cases) {
        helpers.push_back(std::make_unique<QProcess>());
        helpers.back()->start(QStringLiteral(QUIT_SIGNALS_HELPER), {QString::fromLatin1(c.mode)});
        ASSERT_TRUE(helpers.back()->waitForReadyRead(10000)) << c.mode;
    }
    QElapsedTimer clock;
    clock.start();
    for (int round = 0; round < 2; ++round) {
        if (round > 0)
            QThread::msleep(300);
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            if (round < cases[i].sent)
                ::kill(pid_t(helpers[i]->processId()), SIGTERM);
        }
    }
    // Two seconds to serve, and as much again for a loaded machine; the blocked helper
    // otherwise sleeps for a minute.
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const QuitCase &c = cases[i];
        SCOPED_TRACE(std::string(c.mode) + " x" + std::to_string(c.sent));
        QProcess &helper = *helpers[i];
        const bool ended = helper.waitForFinished(int(std::max<qint64>(100, 4000 - clock.elapsed())))
            || helper.state() == QProcess::NotRunning;
        EXPECT_EQ(ended, c.ends) << clock.elapsed() << " ms";
        if (ended) {
            EXPECT_EQ(helper.exitStatus() == QProcess::CrashExit, c.bySignal);
        }
        helper.kill();
        helper.waitForFinished();
    }
}

} // namespace
