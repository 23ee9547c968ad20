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
#include <unistd.h>

namespace {



bool hasUpperCase(const QString &name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
}

// ASCII letters only, as Windows compares names on a FAT stick.
QString foldCase(const QString &name)
{
    QString folded = name;
    for (QChar &c : folded) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 0x20);
    }
    return folded;
}

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
    if (d->fd >= 0)
        ::close(d->fd);
    delete d;
}

IoResult RegisterFolder::open(bool create)
{
    if (d->fd >= 0)
        return IoResult::success();
    if (d->path.isEmpty())
        return d->failure(QString(), ENOENT);
    if (create) {
        if (const int error = makePath(d->path))
            return d->failure(QString(), error);
    }
    d->fd = ::open(d->path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d->fd >= 0)
        return IoResult::success();
    if (errno == ENOENT && !create)
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
    const QString onDisk = nameOnDisk(name);
    const QByteArray file = encoded(onDisk);
    // Looked at before it is opened: opening a device or a pipe may block or have effects.
    struct stat status;
    if (::fstatat(d->fd, file.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? IoResult::success() : d->failure(onDisk, errno);
    exists = true;
    if (S_ISLNK(status.st_mode))
        return d->failure(onDisk, ELOOP);
    if (S_ISDIR(status.st_mode))
        return d->failure(onDisk, EISDIR);
    if (!S_ISREG(status.st_mode))
        return IoResult::failure(filePath(onDisk), NotRegularReason());
    const int fd = ::openat(d->fd, file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return d->failure(onDisk, errno);
    // Checked again on what was opened: the name may have been replaced in between.
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        closeKeepingErrno(fd);
        return IoResult::failure(filePath(onDisk), NotRegularReason());
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
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            closeKeepingErrno(fd);
            bytes.clear();
            return d->failure(onDisk, errno);
        }
        if (got == 0)
            break;
        filled += got;
    }
    ::close(fd);
    bytes.truncate(filled);
    bytes.squeeze();
    return IoResult::success();
}

// Writes `bytes` through a temporary of this writer and renames it over `name`, keeping a replaced
// file's owner and mode. With `syncFirst` the bytes are on disk before the rename; without, the
// caller makes them durable through `fd`, which is left open for it (else closed and -1).
IoResult RegisterFolder::Private::put(const QString &onDisk, const QByteArray &bytes, bool syncFirst, int &fdOut)
{
    fdOut = -1;
    const QByteArray target = encoded(onDisk);
    struct stat old;
    const bool replacing = ::fstatat(fd, target.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!replacing && errno != ENOENT)
        return failure(onDisk, errno);
    if (replacing) {
        if (IoResult replaceable = mayReplace(onDisk, old); !replaceable)
            return replaceable;
    }
    QByteArray temporary;
    int file = -1;
    if (IoResult written = writeTemporary(onDisk, bytes, replacing ? &old : nullptr, syncFirst, temporary, file); !written)
        return written;
    if ((syncFirst && ::close(file) != 0) || ::renameat(fd, temporary.constData(), fd, target.constData()) != 0) {
        const int error = errno;
        if (!syncFirst)
            ::close(file);
        ::unlinkat(fd, temporary.constData(), 0);
        return failure(onDisk, error);
    }
    learn(onDisk, true);
    if (!syncFirst)
        fdOut = file;
    return IoResult::success();
}

IoResult RegisterFolder::replace(const QString &name, const QByteArray &bytes, bool flushFolder)
{
    if (d->fd < 0)
        return d->failure(name, ENOENT);
    int unused = -1;
    if (IoResult put = d->put(nameOnDisk(name), bytes, true, unused); !put)
        return put;
    return flushFolder ? flush() : IoResult::success();
}

namespace {

// Waits for the bytes of every file to reach the disk. Each file gets its own flush, as the
// durability of each record asks; they are issued from several threads at once so that the file
// system can serve many with one trip to the disk, where one after another would wait each time.
// Returns the index of the first file that failed (with its errno), or -1.
std::ptrdiff_t flushAll(const std::vector<int> &fds, int &error)
{
    constexpr std::size_t kThreads = 32;
    std::atomic<std::size_t> next{0};
    std::atomic<std::ptrdiff_t> failedAt{-1};
    std::atomic<int> failedError{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < fds.size(); i = next++) {
            if (::fdatasync(fds[i]) != 0) {
                std::ptrdiff_t none = -1;
                const int saved = errno;
                if (failedAt.compare_exchange_strong(none, std::ptrdiff_t(i)))
                    failedError = saved;
            }
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t t = 1; t < std::min(kThreads, fds.size()); ++t)
        threads.emplace_back(work);
    work();
    for (std::thread &thread : threads)
        thread.join();
    error = failedError;
    return failedAt;
}

} // namespace

IoResult RegisterFolder::replaceUncounted(const std::vector<std::pair<QString, QByteArray>> &files, std::size_t &done)
{
    done = 0;
    if (d->fd < 0)
        return d->failure(files.empty() ? QString() : files.front().first, ENOENT);
    // Descriptors are held for one group at a time, below the usual limit of 1024 open files.
    constexpr std::size_t kGroup = 512;
    std::vector<int> fds;
    std::vector<QString> names;
    IoResult result;
    const auto settle = [&] {
        int error = 0;
        const std::ptrdiff_t failedAt = flushAll(fds, error);
        if (failedAt >= 0 && result)
            result = d->failure(names[std::size_t(failedAt)], error);
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (::close(fds[i]) != 0 && result)
                result = d->failure(names[i], errno);
        }
        fds.clear();
        names.clear();
    };
    for (std::size_t i = 0; i < files.size() && result; ++i) {
        const QString onDisk = nameOnDisk(files[i].first);
        int fd = -1;
        result = d->put(onDisk, files[i].second, false, fd);
        if (!result)
            break;
        fds.push_back(fd);
        names.push_back(onDisk);
        ++done;
        if (fds.size() == kGroup)
            settle();
    }
    settle();
    return result ? flush() : result;
}

IoResult RegisterFolder::flush()
{
    if (d->fd >= 0 && ::fsync(d->fd) != 0)
        return d->failure(QString(), errno);
    return IoResult::success();
}

IoResult RegisterFolder::remove(const QString &name, bool flushFolder)
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
    return flushFolder ? flush() : IoResult::success();
}

IoResult RegisterFolder::list(QStringList &names) const
{
    names.clear();
    if (d->fd < 0)
        return IoResult::success();
    const int fd = ::openat(d->fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return d->failure(QString(), error);
    }
    d->casedNames.clear();
    errno = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        const QString name = QFile::decodeName(raw);
        if (hasUpperCase(name))
            d->casedNames.insert(foldCase(name), name);
        names.append(name);
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) {
        d->listed = false;
        return d->failure(QString(), error);
    }
    d->listed = true;
    return IoResult::success();
}

QString RegisterFolder::nameOnDisk(const QString &name) const
{
    if (d->fd < 0 || d->present(name))
        return name;
    if (!d->listed) {
        QStringList names;
        list(names);
    }
    const QString folded = foldCase(name);
    if (const auto found = d->casedNames.constFind(folded); found != d->casedNames.constEnd())
        return *found;
    return folded != name && d->present(folded) ? folded : name;
}

void RegisterFolder::Private::learn(const QString &name, bool exists) const
{
    if (!listed || !hasUpperCase(name))
        return;
    if (exists)
        casedNames.insert(foldCase(name), name);
    else if (casedNames.value(foldCase(name)) == name)
        casedNames.remove(foldCase(name));
}

void RegisterFolder::refreshName(const QString &name)
{
    if (d->fd >= 0)
        d->learn(name, d->present(name));
}
