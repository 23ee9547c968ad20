// Replacing and removing a file as one step with the check of what it holds, so that what
// another program writes after the check is never overwritten; and the writer's temporaries.
#include "RegisterFolder.h"
#include "RegisterFolderPrivate.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// renameat2 where the system has it; -1 with EINVAL where it has not, as for a file system
// that cannot do what is asked.
int renameWith(int folder, const char *from, const char *to, unsigned flags)
{
#if defined(RENAME_EXCHANGE) && defined(RENAME_NOREPLACE)
    return ::renameat2(folder, from, folder, to, flags);
#else
    (void)folder, (void)from, (void)to, (void)flags;
    errno = EINVAL;
    return -1;
#endif
}

#if defined(RENAME_EXCHANGE) && defined(RENAME_NOREPLACE)
constexpr unsigned kExchange = RENAME_EXCHANGE;
constexpr unsigned kNoReplace = RENAME_NOREPLACE;
#else
constexpr unsigned kExchange = 2, kNoReplace = 1;
#endif

// The file system cannot exchange names, or cannot refuse to replace: do it the plain way.
bool lacksFlags(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

} // namespace

QByteArray RegisterFolder::Private::temporaryName()
{
    // The process and a random part: no two writers, here or on another computer sharing the
    // folder, ever write through one name.
    return QByteArray(".sitekanri-") + QByteArray::number(qint64(::getpid())) + '-'
        + QByteArray::number(QRandomGenerator::global()->generate(), 16) + QByteArray::number(++temporaries) + ".tmp";
}

IoResult RegisterFolder::Private::mayReplace(const QString &onDisk, const struct stat &status) const
{
    if (S_ISLNK(status.st_mode))
        return failure(onDisk, ELOOP);
    if (S_ISDIR(status.st_mode))
        return failure(onDisk, EISDIR);
    if (!S_ISREG(status.st_mode))
        return IoResult::failure(filePath(onDisk), NotRegularReason());
    // The mode itself, not only access(): the system's administrator may write anything, yet a
    // file the user made read-only is to be kept as it is, as Windows keeps it.
    const QByteArray name = encoded(onDisk);
    if ((status.st_mode & 0222) == 0)
        return failure(onDisk, EACCES);
    if (::faccessat(fd, name.constData(), W_OK, AT_EACCESS) != 0 || ::faccessat(fd, name.constData(), R_OK, AT_EACCESS) != 0)
        return failure(onDisk, errno);
    if (status.st_size > kMaxFileSize)
        return failure(onDisk, EFBIG);
    return IoResult::success();
}

IoResult RegisterFolder::Private::writeTemporary(const QString &onDisk, const QByteArray &bytes, const struct stat *like,
                                                 bool sync, QByteArray &temporary, int &file)
{
    file = -1;
    for (int tries = 0; file < 0 && tries < 8; ++tries) {
        temporary = temporaryName();
        file = ::openat(fd, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (file < 0 && errno != EEXIST)
            return failure(onDisk, errno);
    }
    if (file < 0)
        return failure(onDisk, EEXIST);
    bool written = writeAll(file, bytes) && (!sync || ::fdatasync(file) == 0);
    if (written && like) {
        // Owner first: changing it may clear set-id bits that the mode then puts back.
        struct stat fresh;
        if (::fstat(file, &fresh) == 0 && (fresh.st_uid != like->st_uid || fresh.st_gid != like->st_gid)
            && ::fchown(file, like->st_uid, like->st_gid) != 0 && errno != EPERM) {
            written = false;
        }
        written = written && ::fchmod(file, like->st_mode & 07777) == 0;
    }
    if (!written) {
        closeKeepingErrno(file);
        const int error = errno;
        ::unlinkat(fd, temporary.constData(), 0);
        file = -1;
        return failure(onDisk, error);
    }
    return IoResult::success();
}

bool RegisterFolder::Private::readAll(const QByteArray &name, QByteArray &bytes) const
{
    bytes.clear();
    const int file = ::openat(fd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (file < 0)
        return false;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || bytes.size() + got > kMaxFileSize) {
            ::close(file);
            return got == 0;
        }
        bytes.append(buffer, got);
    }
}

IoResult RegisterFolder::replaceIf(const QString &name, const QByteArray &bytes, const QByteArray &expected, Found &found)
{
    found = Found::Missing;
    if (d->fd < 0)
        return IoResult::success();
    const QString onDisk = nameOnDisk(name);
    const QByteArray target = encoded(onDisk);
    struct stat old;
    if (::fstatat(d->fd, target.constData(), &old, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? IoResult::success() : d->failure(onDisk, errno);
    if (IoResult replaceable = d->mayReplace(onDisk, old); !replaceable)
        return replaceable;
    QByteArray temporary;
    int file = -1;
    if (IoResult written = d->writeTemporary(onDisk, bytes, &old, true, temporary, file); !written)
        return written;
    ::close(file);
    const auto dropTemporary = [&] { ::unlinkat(d->fd, temporary.constData(), 0); };
    const auto moment = [&](Moment at) {
        if (testHook)
            testHook(at, onDisk);
    };
    moment(Moment::TemporaryWritten);

    QByteArray out;
    // Looked at once more after the temporary is on disk (the flush is the long wait): a change
    // seen now is refused without the new version ever standing under the name. Once it stood
    // there, another program could have built its edit on it, and swapping back would lose that
    // edit.
    if (d->readAll(target, out) && out != expected) {
        dropTemporary();
        found = Found::Changed;
        return IoResult::success();
    }
    moment(Moment::LastLookPassed);
    if (renameWith(d->fd, temporary.constData(), target.constData(), kExchange) != 0) {
        const int error = errno;
        if (error == ENOENT) {
            dropTemporary();
            return IoResult::success();
        }
        if (!lacksFlags(error)) {
            dropTemporary();
            return d->failure(onDisk, error);
        }
        // No exchange here: the file is read again just before the rename, which leaves a much
        // shorter moment for another program's edit to be lost than the whole operation did.
        bool readable = d->readAll(target, out);
        if (!readable || out != expected) {
            dropTemporary();
            found = readable || d->present(onDisk) ? Found::Changed : Found::Missing;
            return IoResult::success();
        }
        if (::renameat(d->fd, temporary.constData(), d->fd, target.constData()) != 0) {
            const int failed = errno;
            dropTemporary();
            return d->failure(onDisk, failed);
        }
        found = Found::Expected;
        return flush();
    }
    moment(Moment::Exchanged);
    // The old file now has the temporary's name: what it held when it went is what counts.
    if (d->readAll(temporary, out) && out == expected) {
        dropTemporary();
        found = Found::Expected;
        return flush();
    }
    // Changed after the check: it goes back. Should yet another version have taken the name since
    // the exchange, that one is the newest and is put back instead.
    found = Found::Changed;
    if (renameWith(d->fd, temporary.constData(), target.constData(), kExchange) == 0) {
        QByteArray returned;
        if (d->readAll(temporary, returned) && returned != bytes)
            renameWith(d->fd, temporary.constData(), target.constData(), kExchange);
    }
    dropTemporary();
    return flush();
}

IoResult RegisterFolder::moveAside(const QString &name, const QByteArray &expected, QString &aside, Found &found,
                                   bool keep)
{
    return moveAside(name, [&expected](const QByteArray &out) { return out == expected; }, aside, found, keep);
}

IoResult RegisterFolder::moveAside(const QString &name, const std::function<bool(const QByteArray &)> &holdsExpected,
                                   QString &aside, Found &found, bool keep)
{
    found = Found::Missing;
    aside.clear();
    if (d->fd < 0)
        return IoResult::success();
    const QString onDisk = nameOnDisk(name);
    const QByteArray target = encoded(onDisk);
    struct stat status;
    if (::fstatat(d->fd, target.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? IoResult::success() : d->failure(onDisk, errno);
    if (IoResult removable = d->mayReplace(onDisk, status); !removable)
        return removable;
    const QByteArray temporary = keep ? d->keptName() : d->temporaryName();
    if (renameWith(d->fd, target.constData(), temporary.constData(), kNoReplace) != 0) {
        const int error = errno;
        if (error == ENOENT)
            return IoResult::success();
        if (!lacksFlags(error) || ::renameat(d->fd, target.constData(), d->fd, temporary.constData()) != 0)
            return d->failure(onDisk, errno == ENOENT ? error : errno);
    }
    d->learn(onDisk, false);
    QByteArray out;
    if (d->readAll(temporary, out) && holdsExpected(out)) {
        aside = QString::fromLatin1(temporary);
        found = Found::Expected;
        return IoResult::success();
    }
    found = Found::Changed;
    return putBack(QString::fromLatin1(temporary), onDisk);
}

IoResult RegisterFolder::claim(const QString &from, const QString &name, bool &taken)
{
    taken = false;
    if (d->fd < 0)
        return d->failure(name, ENOENT);
    // Another spelling of the name (DATA7.INI for data7.ini) holds it as well as the name itself.
    const QString onDisk = nameOnDisk(name);
    if (onDisk != name && d->present(onDisk)) {
        taken = true;
        return IoResult::success();
    }
    if (testHook)
        testHook(Moment::Claiming, name);
    const QByteArray source = encoded(from), target = encoded(name);
    int result = renameWith(d->fd, source.constData(), target.constData(), kNoReplace);
    if (result != 0 && lacksFlags(errno)) {
        result = ::linkat(d->fd, source.constData(), d->fd, target.constData(), 0);
        if (result == 0)
            ::unlinkat(d->fd, source.constData(), 0);
    }
    if (result != 0) {
        if (errno == EEXIST) {
            taken = true;
            return IoResult::success();
        }
        return d->failure(name, errno);
    }
    d->learn(name, true);
    return IoResult::success();
}

IoResult RegisterFolder::putBack(const QString &aside, const QString &name)
{
    bool taken = false;
    if (IoResult claimed = claim(aside, name, taken); !claimed)
        return claimed;
    // A newer version took the name meanwhile: it stands, and the older one goes.
    if (taken)
        ::unlinkat(d->fd, encoded(aside).constData(), 0);
    return flush();
}

bool RegisterFolder::removeIfHolds(const QString &name, const std::function<bool(const QByteArray &)> &holdsExpected)
{
    QString aside;
    Found found = Found::Missing;
    if (!moveAside(name, holdsExpected, aside, found) || found != Found::Expected)
        return false;
    discard(aside);
    return true;
}

bool RegisterFolder::removeIfHolds(const QString &name, const QByteArray &expected)
{
    return removeIfHolds(name, [&expected](const QByteArray &out) { return out == expected; });
}

IoResult RegisterFolder::discard(const QString &aside)
{
    if (::unlinkat(d->fd, encoded(aside).constData(), 0) != 0 && errno != ENOENT)
        return d->failure(aside, errno);
    return IoResult::success();
}

bool RegisterFolder::occupied(const QString &name) const
{
    struct stat status;
    if (d->fd < 0 || ::fstatat(d->fd, encoded(nameOnDisk(name)).constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    return !S_ISDIR(status.st_mode);
}
