#include "RegisterWatcher.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#endif

RegisterWatcher::RegisterWatcher(QObject *parent)
    : QObject(parent)
{
    m_gather.setSingleShot(true);
    m_gather.setInterval(kGatherMs);
    connect(&m_gather, &QTimer::timeout, this, &RegisterWatcher::report);
}

RegisterWatcher::~RegisterWatcher()
{
#ifdef Q_OS_LINUX
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

bool RegisterWatcher::watch(const QString &folder)
{
#ifdef Q_OS_LINUX
    if (m_fd < 0)
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return false;
    // A rename into the folder is how a file is replaced whole; an in-place write ends with
    // its close. IN_ONLYDIR: a file put where the folder was is not followed.
    const uint32_t events = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_CREATE | IN_ONLYDIR;
    if (::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), events) < 0)
        return false;
    if (!m_notifier) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &RegisterWatcher::readEvents);
    }
    return true;
#else
    if (!m_fallback) {
        m_fallback = new QFileSystemWatcher(this);
        connect(m_fallback, &QFileSystemWatcher::directoryChanged, this, [this] {
            m_lostTrack = true;
            m_gather.start();
        });
    }
    return m_fallback->addPath(folder);
#endif
}

void RegisterWatcher::readEvents()
{
#ifdef Q_OS_LINUX
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0) {
            if (length < 0 && errno == EINTR)
                continue;
            break;
        }
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            if (event->mask & IN_Q_OVERFLOW)
                m_lostTrack = true;
            else if (event->len > 0)
                m_changed.insert(QFile::decodeName(event->name));
            at += ssize_t(sizeof(inotify_event)) + event->len;
        }
    }
#endif
    // Not restarted on every event: a program writing steadily must not hold the report back.
    if (!m_gather.isActive() && (m_lostTrack || !m_changed.isEmpty()))
        m_gather.start();
}

void RegisterWatcher::report()
{
    if (m_lostTrack) {
        m_lostTrack = false;
        m_changed.clear();
        emit everythingChanged();
        return;
    }
    const QStringList names(m_changed.begin(), m_changed.end());
    m_changed.clear();
    if (!names.isEmpty())
        emit filesChanged(names);
}
