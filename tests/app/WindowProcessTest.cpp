// The real program: one window per register, and a clean end on the signals a logout, a closed
// terminal or Ctrl+C send.
#include "SingleWindow.h"
#include "TempRegister.h"

#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace {

// The program's per-user register lives under XDG_DATA_HOME, its window settings under
// XDG_CONFIG_HOME; each test gives it fresh ones.
class WindowProcess : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder())); }
    QString folder() const { return m_home.path() + QStringLiteral("/sitekanri"); }
    // Starts the window; with `up`, true once it answers on its register's name.
    bool start(QProcess &process, bool up = true, const QStringList &arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(SITEKANRI_APP), arguments);
        const auto answers = [this] {
            QLocalSocket socket;
            socket.connectToServer(SingleWindow(folder()).serverName());
            return socket.waitForConnected(100);
        };
        return process.waitForStarted(5000)
            && (!up || (QTest::qWaitFor([&] { return answers() || process.state() == QProcess::NotRunning; }, 10000)
                        && process.state() == QProcess::Running));
    }
    ProgramRun cli(QStringList arguments)
    {
        return RunProgram(QStringLiteral(SITEKANRI_CLI), QStringList{QStringLiteral("--dir"), folder()} + arguments);
    }

    QTemporaryDir m_home;
};

TEST(SingleWindow, laterClaimOnTheSameRegisterAsksTheFirstToComeForward)
{
    QTemporaryDir dir;
    SingleWindow first(dir.path()), second(dir.path() + QStringLiteral("/.")), elsewhere(dir.path() + QStringLiteral("/x"));
    int raised = 0;
    QObject::connect(&first, &SingleWindow::raiseRequested, [&] { ++raised; });
    ASSERT_FALSE(first.claim());
    EXPECT_TRUE(second.claim());
    EXPECT_TRUE(QTest::qWaitFor([&] { return raised == 1; }, 2000));
    EXPECT_FALSE(elsewhere.claim()) << "another register is another window";
}

// A link longer than a request may be is never cut short or dropped: the window is told it came,
// whether the later start knew the limit or (a program of another version) did not.
TEST(SingleWindow, aLinkTooLongToHandOverIsToldToTheWindow)
{
    QTemporaryDir dir;
    SingleWindow first(dir.path()), later(dir.path());
    QStringList links;
    int tooLong = 0;
    QObject::connect(&first, &SingleWindow::linkReceived, [&](const QString &link) { links << link; });
    QObject::connect(&first, &SingleWindow::linkTooLong, [&](qsizetype limit) { tooLong += limit == SingleWindow::kMaxRequest; });
    ASSERT_FALSE(first.claim());
    later.setLink(QStringLiteral("sitekanri:add?url=https://a.example/&content=") + QString(30000, QChar(0x3042)));
    ASSERT_TRUE(later.claim());
    EXPECT_TRUE(later.linkWasTooLong());
    ASSERT_TRUE(QTest::qWaitFor([&] { return tooLong == 1; }, 5000));

    QLocalSocket raw;
    raw.connectToServer(first.serverName());
    ASSERT_TRUE(raw.waitForConnected(2000));
    raw.write("link " + QByteArray(SingleWindow::kMaxRequest + 1, 'a'));
    EXPECT_TRUE(QTest::qWaitFor([&] { return tooLong == 2; }, 5000));
    EXPECT_TRUE(links.isEmpty());
}

TEST_F(WindowProcess, signalsEndTheWindowLosingNothingAndLeavingNoLock)
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        QProcess window;
        ASSERT_TRUE(start(window));
        ASSERT_EQ(cli({QStringLiteral("add"), QStringLiteral("--name"), QString::number(signal), QStringLiteral("--url"),
                       QStringLiteral("http://s/")}).exitCode,
                  0);
        // A process already gone has no id, and kill(0) would signal this whole process group.
        const pid_t pid = pid_t(window.processId());
        ASSERT_GT(pid, 0) << "the window ended before the signal";
        ::kill(pid, signal);
        ASSERT_TRUE(window.waitForFinished(5000));
        EXPECT_EQ(window.exitStatus(), QProcess::NormalExit) << "ended by the signal itself";
        EXPECT_EQ(window.exitCode(), 0);
        // Nobody holds the register's lock, and nothing added while the window was open is gone.
        const int fd = ::open(QFile::encodeName(folder() + QStringLiteral("/sitekanri.lock")).constData(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
        ::close(fd);
        const ProgramRun list = cli({QStringLiteral("list")});
        EXPECT_TRUE(list.out.contains(QByteArray::number(signal) + "\thttp://s/")) << list.out.toStdString();
    }
}

TEST_F(WindowProcess, secondStartRaisesTheFirstAndEndsUnlessTheFirstIsGone)
{
    QProcess first, second, third;
    ASSERT_TRUE(start(first));
    ASSERT_TRUE(start(second, false));
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // A window that died leaves its name behind; the next start takes it over and stays.
    first.kill();
    first.waitForFinished();
    ASSERT_TRUE(start(third)) << "the third start did not take over the register's name";
    third.terminate();
    EXPECT_TRUE(third.waitForFinished(5000));
}

// Every link goes to the one window: a start with none running opens it, even for a bad link
// (which that window shows), and later starts hand theirs over and end at once, a bad one or one
// too long to hand over with the reason and a failed status: a page sending links in a burst
// leaves neither processes nor boxes waiting for an answer.
TEST_F(WindowProcess, everyLinkGoesToTheOneWindowAndLaterStartsEndAtOnce)
{
    QProcess first;
    ASSERT_TRUE(start(first, true, {QStringLiteral("sitekanri:bad")}));
    // Over 256 KiB once percent-encoded (a character of three UTF-8 bytes takes nine), though
    // well under what one argument may hold.
    const QString tooLong = QStringLiteral("sitekanri:add?url=https://a.example/&content=") + QString(40000, QChar(0x3042));
    std::vector<std::pair<std::unique_ptr<QProcess>, QString>> later;
    for (int i = 0; i < 30; ++i)
        later.emplace_back(std::make_unique<QProcess>(), QStringLiteral("sitekanri:bad%1").arg(i));
    later.emplace_back(std::make_unique<QProcess>(), tooLong);
    for (auto &[process, link] : later)
        ASSERT_TRUE(start(*process, false, {link}));
    for (auto &[process, link] : later) {
        ASSERT_TRUE(process->waitForFinished(60000)) << "a start with a link is still waiting";
        EXPECT_EQ(process->exitCode(), 1);
        const QString said = QString::fromLocal8Bit(process->readAllStandardError());
        EXPECT_TRUE(said.contains(link == tooLong ? QStringLiteral("長すぎて") : QStringLiteral("分かりません"))) << said.toStdString();
    }
    EXPECT_EQ(first.state(), QProcess::Running);
    first.terminate();
    EXPECT_TRUE(first.waitForFinished(5000));
}

// A logout must end the program even when its GUI thread cannot take the close request.
TEST(QuitSignals, secondOrUnservedSignalEndsTheProgramAtOnce)
{
    const struct
    {
        const char *mode; // what the helper's event loop does with a signal
        int sent;         // SIGTERMs sent, 300 ms apart (one or two)
        bool bySignal;    // ended by the signal itself (the program did not close by its own request)
    } cases[] = {
        {"quits", 1, false},  // the usual end: the close request runs
        {"ignores", 2, true}, // a second signal is not asked twice
        {"blocked", 1, true}, // nobody serves it within its second
    };
    // The helpers run side by side; a fourth, served and its close refused, goes on. Once the
    // blocked one is ended, a wrong end of that one would have come too.
    std::vector<std::unique_ptr<QProcess>> helpers;
    for (const char *mode : {"quits", "ignores", "blocked", "ignores"}) {
        helpers.push_back(std::make_unique<QProcess>());
        helpers.back()->start(QStringLiteral(QUIT_SIGNALS_HELPER), {QString::fromLatin1(mode)});
        ASSERT_TRUE(helpers.back()->waitForReadyRead(10000)) << mode;
    }
    for (int round = 0; round < 2; ++round) {
        if (round > 0)
            QThread::msleep(300);
        for (std::size_t i = 0; i < helpers.size(); ++i) {
            const pid_t pid = pid_t(helpers[i]->processId()); // 0 once it has ended: never kill(0)
            if (pid > 0 && round < (i < std::size(cases) ? cases[i].sent : 1))
                ::kill(pid, SIGTERM);
        }
    }
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::string(cases[i].mode) + " x" + std::to_string(cases[i].sent));
        ASSERT_TRUE(helpers[i]->waitForFinished(10000) || helpers[i]->state() == QProcess::NotRunning);
        EXPECT_EQ(helpers[i]->exitStatus() == QProcess::CrashExit, cases[i].bySignal);
    }
    EXPECT_FALSE(helpers.back()->waitForFinished(250)) << "a close refused ended the program";
    helpers.back()->kill();
    helpers.back()->waitForFinished();
}

} // namespace
