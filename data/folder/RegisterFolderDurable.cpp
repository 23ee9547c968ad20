#include "RegisterFolder.h"
#include "RegisterFolderPrivate.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

// Many files at once made durable: written beside their names, then flushed in groups from several
// threads, before any of them takes its place.

// Waits for the bytes of every file to reach the disk. Each file gets its own flush, as the
// durability of each record asks; they are issued from several threads at once so that the file
// system can serve many with one trip to the disk, where one after another would wait each time.
// Returns the index of the first file that failed (with its errno), or -1.
std::ptrdiff_t flushAll(const std::vector<int> &fds, int &error)
{
    std::atomic<std::ptrdiff_t> failedAt{-1};
    std::atomic<int> failedError{0};
    forEachOnThreads(fds.size(), 32, [&](std::size_t i) {
        if (::fdatasync(fds[i]) != 0) {
            std::ptrdiff_t none = -1;
            const int saved = errno;
            if (failedAt.compare_exchange_strong(none, std::ptrdiff_t(i)))
                failedError = saved;
        }
    });
    error = failedError;
    return failedAt;
}

void forEachOnThreads(std::size_t count, std::size_t threads, const std::function<void(std::size_t)> &each)
{
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++)
            each(i);
    };
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < std::min(threads, count); ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread &helper : helpers)
        helper.join();
}

// Opens (or makes) `count` files one group at a time, by `open`, and waits until the bytes of each
// group are on disk: descriptors are held for one group at a time, below the usual limit of 1024
// open files. A file that failed is named by `nameOf`.
IoResult RegisterFolder::Private::flushInGroups(std::size_t count, const std::function<IoResult(std::size_t, int &)> &open,
                                                const std::function<QString(std::size_t)> &nameOf)
{
    constexpr std::size_t kGroup = 512;
    for (std::size_t first = 0; first < count; first += kGroup) {
        const std::size_t end = std::min(count, first + kGroup);
        std::vector<int> fds;
        IoResult result;
        for (std::size_t i = first; i < end && result; ++i) {
            int file = -1;
            if ((result = open(i, file)))
                fds.push_back(file);
        }
        if (result) {
            int error = 0;
            if (const std::ptrdiff_t failedAt = flushAll(fds, error); failedAt >= 0)
                result = failure(nameOf(first + std::size_t(failedAt)), error);
        }
        for (const int file : fds) {
            if (::close(file) != 0 && result)
                result = failure(QString(), errno);
        }
        if (!result)
            return result;
    }
    return IoResult::success();
}

IoResult RegisterFolder::writeTemporaries(const std::vector<QByteArray> &contents, std::vector<QString> &temporaries)
{
    temporaries.clear();
    if (d->fd < 0)
        return d->failure(QString(), ENOENT);
    const IoResult written = d->flushInGroups(
        contents.size(),
        [&](std::size_t i, int &file) {
            QByteArray temporary;
            IoResult made = d->writeTemporary(QString(), contents[i], nullptr, false, temporary, file);
            if (made)
                temporaries.push_back(QString::fromLatin1(temporary));
            return made;
        },
        [&](std::size_t i) { return temporaries[i]; });
    if (!written) {
        for (const QString &temporary : temporaries)
            ::unlinkat(d->fd, encoded(temporary).constData(), 0);
        temporaries.clear();
    }
    return written;
}

IoResult RegisterFolder::makeDurable(const std::vector<QString> &names)
{
    return d->flushInGroups(
        names.size(),
        [&](std::size_t i, int &file) {
            file = ::openat(d->fd, encoded(names[i]).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            struct stat status;
            if (file >= 0 && ::fstat(file, &status) == 0 && S_ISREG(status.st_mode))
                return IoResult::success();
            const int error = file < 0 ? errno : ENODEV;
            if (file >= 0)
                ::close(file);
            file = -1;
            return d->failure(names[i], error);
        },
        [&](std::size_t i) { return names[i]; });
}
