#include "RegisterFolder.h"
#include "RegisterFolderPrivate.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr char16_t kRawByte = 0xDC00; // U+DC80–U+DCFF stand for the bytes 0x80–0xFF

bool isRawByte(const QString &name, qsizetype i)
{
    const char16_t c = name.at(i).unicode();
    return c >= kRawByte + 0x80 && c <= kRawByte + 0xFF && (i == 0 || !name.at(i - 1).isHighSurrogate());
}

// The length of the UTF-8 character at `at`, or 0 when the bytes there are none.
int utf8Length(const QByteArray &bytes, qsizetype at)
{
    const uchar lead = uchar(bytes[at]);
    const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((uchar(bytes[at + i]) & 0xC0) != 0x80)
            return 0;
    }
    // Overlong forms, surrogates and code points past the last are no characters either.
    const QString one = QString::fromUtf8(bytes.constData() + at, length);
    return one.toUtf8() == QByteArray(bytes.constData() + at, length) && !one.contains(QChar(0xFFFD)) ? length : 0;
}

} // namespace

QByteArray encoded(const QString &name)
{
    QByteArray bytes;
    qsizetype from = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isRawByte(name, i)) {
            bytes += name.mid(from, i - from).toUtf8();
            bytes += char(name.at(i).unicode() - kRawByte);
            from = i + 1;
        }
    }
    return from == 0 ? name.toUtf8() : bytes + name.mid(from).toUtf8();
}

QString decoded(const QByteArray &name)
{
    QString text = QString::fromUtf8(name);
    if (!text.contains(QChar(0xFFFD)) || text.toUtf8() == name)
        return text;
    text.clear();
    for (qsizetype at = 0; at < name.size();) {
        if (const int length = utf8Length(name, at)) {
            text += QString::fromUtf8(name.constData() + at, length);
            at += length;
        } else {
            text += QChar(char16_t(kRawByte + uchar(name[at++])));
        }
    }
    return text;
}

namespace {

// Makes every missing folder on the way to `path`.
int makePath(const QByteArray &path)
{
    for (qsizetype slash = path.indexOf('/', 1); ; slash = path.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? path : path.left(slash);
        if (!part.isEmpty() && ::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return errno;
        if (slash < 0)
            return 0;
    }
}

} // namespace

RegisterFolder::RegisterFolder(const QByteArray &path)
    : d(new Private)
{
    d->path = path;
}

RegisterFolder::~RegisterFolder()
{
    d->releaseKeeper();
    if (d->fd >= 0)
        ::close(d->fd);
    delete d;
}

IoResult RegisterFolder::open(Missing missing)
{
    if (d->fd >= 0)
        return IoResult::success();
    if (d->path.isEmpty())
        return d->failure(QString(), ENOENT);
    if (missing == Missing::Create) {
        if (const int error = makePath(d->path))
            return d->failure(QString(), error);
    }
    d->fd = ::open(d->path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d->fd >= 0)
        return IoResult::success();
    if (errno == ENOENT && missing == Missing::ReadsEmpty)
        return IoResult::success();
    return d->failure(QString(), errno);
}

bool RegisterFolder::exists() const
{
    return d->fd >= 0;
}

int RegisterFolder::descriptor() const
{
    return d->fd;
}

bool RegisterFolder::isTemporaryName(const QString &name)
{
    // ".sitekanri-<process>-<random>.tmp", and ".sitekanri.tmp" of earlier versions.
    return name.startsWith(QLatin1String(".sitekanri")) && name.endsWith(QLatin1String(".tmp"));
}

QString RegisterFolder::path() const
{
    return d->filePath(QString());
}

QString RegisterFolder::filePath(const QString &name) const
{
    return d->filePath(name);
}

IoResult RegisterFolder::read(const QString &name, QByteArray &bytes, bool &exists) const
{
    bytes.clear();
    exists = false;
    if (d->fd < 0)
        return IoResult::success();
    // Looked at before it is opened: opening a device or a pipe may block or have effects. The name
    // as given first; only a name that is not there is looked for in another case.
    QString onDisk = name;
    QByteArray file = encoded(onDisk);
    struct stat status;
    if (::fstatat(d->fd, file.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            return d->failure(onDisk, errno);
        if ((onDisk = nameOnDisk(name)) == name)
            return IoResult::success();
        file = encoded(onDisk);
        if (::fstatat(d->fd, file.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT ? IoResult::success() : d->failure(onDisk, errno);
    }
    exists = true;
    if (S_ISLNK(status.st_mode))
        return d->failure(onDisk, ELOOP);
    if (S_ISDIR(status.st_mode))
        return d->failure(onDisk, EISDIR);
    if (!S_ISREG(status.st_mode)) // ENODEV: no data, whatever it is
        return IoResult::failure(filePath(onDisk), NotRegularReason(), ENODEV);
    const int fd = ::openat(d->fd, file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return d->failure(onDisk, errno);
    // Checked again on what was opened: the name may have been replaced in between.
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        closeKeepingErrno(fd);
        return IoResult::failure(filePath(onDisk), NotRegularReason(), ENODEV);
    }
    if (status.st_size > kMaxFileSize) {
        ::close(fd);
        return d->failure(onDisk, EFBIG);
    }
    // Read to the end, whatever the size said: the file may grow, but never past the limit.
    bytes.resize(qsizetype(status.st_size) + 1);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > kMaxFileSize) {
                ::close(fd);
                bytes.clear();
                return d->failure(onDisk, EFBIG);
            }
            bytes.resize(std::min<qsizetype>(filled * 2 + 4096, kMaxFileSize + 1));
        }
        const qsizetype wanted = bytes.size() - filled;
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(wanted));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            closeKeepingErrno(fd);
            bytes.clear();
            return d->failure(onDisk, errno);
        }
        filled += got;
        // A regular file gives less than asked only at its end.
        if (got < wanted)
            break;
    }
    ::close(fd);
    bytes.truncate(filled);
    bytes.squeeze();
    return IoResult::success();
}

// Writes `bytes` into a new temporary of this writer, with the owner and mode of the file it is
// to replace; with `sync` the bytes are on disk when it returns. The temporary's descriptor is
// left open in `file`.
IoResult RegisterFolder::Private::prepare(const QString &onDisk, const QByteArray &bytes, bool sync,
                                          QByteArray &temporary, int &file)
{
    file = -1;
    struct stat old;
    const bool replacing = ::fstatat(fd, encoded(onDisk).constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!replacing && errno != ENOENT)
        return failure(onDisk, errno);
    if (replacing) {
        if (IoResult replaceable = mayReplace(onDisk, old); !replaceable)
            return replaceable;
    }
    return writeTemporary(onDisk, bytes, replacing ? &old : nullptr, sync, temporary, file);
}

// Gives a prepared temporary the name `onDisk`; the temporary goes whatever happens.
IoResult RegisterFolder::Private::rename(const QByteArray &temporary, const QString &onDisk)
{
    if (::renameat(fd, temporary.constData(), fd, encoded(onDisk).constData()) != 0) {
        const int error = errno;
        ::unlinkat(fd, temporary.constData(), 0);
        return failure(onDisk, error);
    }
    learn(onDisk, true);
    return IoResult::success();
}

IoResult RegisterFolder::replace(const QString &name, const QByteArray &bytes, Flush flushFolder)
{
    if (d->fd < 0)
        return d->failure(name, ENOENT);
    const QString onDisk = nameOnDisk(name);
    QByteArray temporary;
    int file = -1;
    if (IoResult written = d->prepare(onDisk, bytes, true, temporary, file); !written)
        return written;
    if (::close(file) != 0) {
        const int error = errno;
        ::unlinkat(d->fd, temporary.constData(), 0);
        return d->failure(onDisk, error);
    }
    if (IoResult renamed = d->rename(temporary, onDisk); !renamed)
        return renamed;
    return flushFolder == Flush::Now ? flush() : IoResult::success();
}

qint64 RegisterFolder::changedAt() const
{
    struct stat status;
    if (d->fd < 0 || ::fstat(d->fd, &status) != 0)
        return -1;
    return qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
}

qint64 RegisterFolder::stampChange()
{
    timespec now;
    if (d->fd < 0 || ::clock_gettime(CLOCK_REALTIME, &now) != 0)
        return -1;
    const timespec times[2] = {{0, UTIME_OMIT}, now};
    if (::futimens(d->fd, times) != 0)
        return -1;
    const qint64 stamp = qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    return changedAt() == stamp ? stamp : -1;
}

void RegisterFolder::waitPast(qint64 stamp)
{
    timespec now, tick;
    if (::clock_getres(CLOCK_REALTIME_COARSE, &tick) != 0)
        return;
    for (int round = 0; round < 4 && ::clock_gettime(CLOCK_REALTIME_COARSE, &now) == 0
                        && qint64(now.tv_sec) * 1000000000 + now.tv_nsec <= stamp; ++round)
        ::nanosleep(&tick, nullptr);
}

QByteArray RegisterFolder::identity() const
{
    // The folder held open is the same folder for as long as it is held.
    if (!d->identity.isEmpty() || d->fd < 0)
        return d->identity;
    struct stat status;
    if (::fstat(d->fd, &status) != 0)
        return {};
    QByteArray identity = QByteArray::number(quint64(status.st_dev)) + '-' + QByteArray::number(quint64(status.st_ino));
#ifdef STATX_BTIME
    // An inode number is given again once its folder is gone; with its birth, a new folder is
    // never taken for the old one.
    struct statx born;
    if (::statx(d->fd, "", AT_EMPTY_PATH, STATX_BTIME, &born) == 0 && (born.stx_mask & STATX_BTIME))
        identity += '-' + QByteArray::number(qint64(born.stx_btime.tv_sec)) + '.' + QByteArray::number(born.stx_btime.tv_nsec);
#endif
    d->identity = identity;
    return identity;
}

IoResult RegisterFolder::flush()
{
    if (d->fd >= 0 && ::fsync(d->fd) != 0)
        return d->failure(QString(), errno);
    return IoResult::success();
}

IoResult RegisterFolder::remove(const QString &name, Flush flushFolder)
{
    if (d->fd < 0)
        return IoResult::success();
    const QString onDisk = nameOnDisk(name);
    struct stat status;
    if (::fstatat(d->fd, encoded(onDisk).constData(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        if (IoResult removable = d->mayReplace(onDisk, status); !removable)
            return removable;
    }
    if (::unlinkat(d->fd, encoded(onDisk).constData(), 0) != 0)
        return errno == ENOENT ? IoResult::success() : d->failure(onDisk, errno);
    d->learn(onDisk, false);
    return flushFolder == Flush::Now ? flush() : IoResult::success();
}
