#include "RegisterLock.h"

#include "RegisterFolder.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void sleepMs(int ms)
{
    const timespec pause{ms / 1000, long(ms % 1000) * 1000000L};
    ::nanosleep(&pause, nullptr);
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

QString RegisterLock::lockFileName()
{
    return QStringLiteral("sitekanri.lock");
}

RegisterLock::RegisterLock(const RegisterFolder &folder, Mode mode, int waitMs)
{
    const int operation = (mode == Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    QElapsedTimer waited;
    waited.start();
    for (int pause = 2;; pause = std::min(pause * 2, 50)) {
        Attempt attempt = lockFolder(folder, operation);
        if (attempt == Attempt::Locked)
            attempt = lockFile(folder, operation);
        if (attempt == Attempt::Locked) {
            m_state = State::Locked;
            return;
        }
        if (attempt == Attempt::Failed)
            break;
        if (waited.elapsed() >= waitMs) {
            m_state = State::Busy;
            m_result = IoResult::failure(folder.path(), DataText::tr("他のプログラムがこの登録簿を使用中です。"
                                                                      "しばらくしてからもう一度お試しください。"),
                                         EWOULDBLOCK);
            break;
        }
        sleepMs(pause);
    }
    closeFd(m_fd);
    closeFd(m_folderFd);
}

RegisterLock::Attempt RegisterLock::lockFolder(const RegisterFolder &folder, int operation)
{
    // A descriptor of its own: a lock belongs to one opening of the folder, so two operations of
    // one process exclude each other as two processes do.
    if (m_folderFd < 0)
        m_folderFd = ::openat(folder.descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0) {
        m_result = IoResult::failure(folder.path(), SystemReason(errno), errno);
        return Attempt::Failed;
    }
    if (::flock(m_folderFd, operation) == 0)
        return Attempt::Locked;
    if (errno == EWOULDBLOCK || errno == EINTR)
        return Attempt::WouldBlock;
    m_result = IoResult::failure(folder.path(), SystemReason(errno), errno);
    return Attempt::Failed;
}

RegisterLock::Attempt RegisterLock::lockFile(const RegisterFolder &folder, int operation)
{
    const QByteArray name = QFile::encodeName(lockFileName());
    const int flags = O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    closeFd(m_fd);
    m_fd = ::openat(folder.descriptor(), name.constData(), O_RDWR | O_CREAT | flags, 0666);
    // A lock file that we may not write still locks: a shared lock needs no more than reading.
    const int error = errno;
    if (m_fd < 0 && (error == EACCES || error == EPERM || error == EROFS || error == EISDIR))
        m_fd = ::openat(folder.descriptor(), name.constData(), O_RDONLY | flags);
    if (m_fd < 0) {
        // Why it could not be made, rather than that it is not there.
        const int reason = errno == ENOENT ? error : errno;
        m_result = IoResult::failure(folder.filePath(lockFileName()), SystemReason(reason), reason);
        // Without a lock file nobody writes here; readers still hold the folder's lock.
        return (operation & LOCK_SH) ? Attempt::Locked : Attempt::Failed;
    }
    if (::flock(m_fd, operation) != 0) {
        const int failed = errno;
        closeFd(m_fd);
        if (failed == EWOULDBLOCK || failed == EINTR)
            return Attempt::WouldBlock;
        m_result = IoResult::failure(folder.filePath(lockFileName()), SystemReason(failed), failed);
        return Attempt::Failed;
    }
    // Replaced while we locked it: the lock is on a file nobody else will open. Take it again.
    struct stat locked, named;
    if (::fstat(m_fd, &locked) == 0 && ::fstatat(folder.descriptor(), name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0
        && locked.st_ino == named.st_ino && locked.st_dev == named.st_dev)
        return Attempt::Locked;
    closeFd(m_fd);
    return Attempt::WouldBlock;
}

RegisterLock::~RegisterLock()
{
    closeFd(m_fd);
    closeFd(m_folderFd);
}
