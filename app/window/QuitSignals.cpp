#include "QuitSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

int g_pipe[2] = {-1, -1};
const int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
volatile sig_atomic_t g_pending = 0; // the signal waiting for the event loop, 0 when none
unsigned g_serveSeconds = QuitSignals::kServeSeconds;

// Ends the program as `signal` itself would have, so its parent sees what ended it.
void endBy(int signal)
{
    ::signal(signal, SIG_DFL);
    ::raise(signal); // delivered when the handler returns: the signal is blocked inside it
    ::signal(SIGALRM, SIG_DFL);
}

// Only async-signal-safe calls here: a write for the event loop, alarm() for the deadline.
void onSignal(int signal)
{
    const int saved = errno;
    if (g_pending != 0) {
        endBy(signal);
    } else {
        g_pending = signal;
        ::alarm(g_serveSeconds);
        const unsigned char number = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &number, 1);
    }
    errno = saved;
}

// The event loop did not take the signal in time.
void onAlarm(int)
{
    if (g_pending != 0)
        endBy(g_pending);
}

} // namespace

QuitSignals::QuitSignals(unsigned serveSeconds, QObject *parent)
    : QObject(parent)
{
    g_serveSeconds = serveSeconds;
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char number = 0;
        while (::read(g_pipe[0], &number, 1) == 1) {
            // Taken: the close request runs now. The signal stays counted, so that a second
            // one still ends the program when the close itself gets stuck.
            ::alarm(0);
            emit received(number);
        }
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals)
        sigaddset(&action.sa_mask, signal); // one handler at a time: the first is the one counted
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
    struct sigaction alarm = {};
    alarm.sa_handler = onAlarm;
    sigemptyset(&alarm.sa_mask);
    for (int signal : kSignals)
        sigaddset(&alarm.sa_mask, signal);
    alarm.sa_flags = SA_RESTART;
    ::sigaction(SIGALRM, &alarm, nullptr);
}

QuitSignals::~QuitSignals()
{
    ::alarm(0);
    for (int signal : kSignals)
        ::signal(signal, SIG_DFL);
    ::signal(SIGALRM, SIG_DFL);
}
