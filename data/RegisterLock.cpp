#include "RegisterLock.h"

#include "RegisterFolder.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

void sleepMs(int ms)
{
    const timespec pause{ms / 1000, long(ms % 1000) * 1000000L};
    ::nanosleep(&pause, nullptr);
}

} // namespace

QString RegisterLock::lockFileName()
{
    return QStringLiteral("sitekanri.lock");
}

RegisterLock::RegisterLock(const RegisterFolder &folder, Mode mode, int waitMs)
{
    const QByteArray name = QFile::encodeName(lockFileName());
    const int flags = O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    m_fd = ::openat(folder.descriptor(), name.constData(), O_RDWR | O_CREAT | flags, 0666);
    // A lock file that we may not write still locks: a shared lock needs no more than reading.
    if (m_fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS || errno == EISDIR))
        m_fd = ::openat(folder.descriptor(), name.constData(), O_RDONLY | flags);
    if (m_fd < 0) {
        m_result = IoResult::failure(folder.filePath(lockFileName()), SystemReason(errno), errno);
        return;
    }
    const int operation = (mode == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    QElapsedTimer waited;
    waited.start();
    for (int pause = 2;; pause = std::min(pause * 2, 50)) {
        if (::flock(m_fd, operation) == 0) {
            m_state = State::Locked;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_result = IoResult::failure(folder.filePath(lockFileName()), SystemReason(errno), errno);
            break;
        }
        if (waited.elapsed() >= waitMs) {
            m_state = State::Busy;
            m_result = IoResult::failure(folder.path(), QStringLiteral("他のプログラムがこの登録簿を使用中です。"
                                                                        "しばらくしてからもう一度お試しください。"),
                                         EWOULDBLOCK);
            break;
        }
        sleepMs(pause);
    }
    ::close(m_fd);
    m_fd = -1;
}

RegisterLock::~RegisterLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
