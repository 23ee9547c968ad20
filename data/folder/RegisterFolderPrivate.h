#pragma once

// What the parts of RegisterFolder share; included by its own source files only.
#include "RegisterFolder.h"

#include <QFile>
#include <QHash>

#include <cerrno>
#include <cstddef>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// A name in the folder as bytes. Names are UTF-8, but a name that is not (a sync tool names a copy
// after a computer whose name is in another code) is kept byte for byte: each byte that is no part
// of a UTF-8 character is held in the name as U+DC80 + the byte, a lone surrogate no UTF-8 name
// can hold, and given back as that byte here.
QByteArray encoded(const QString &name);
// A name as the folder lists it, read that way.
QString decoded(const QByteArray &name);

inline QString NotRegularReason()
{
    return DataText::tr("通常のファイルではありません");
}

inline int closeKeepingErrno(int fd)
{
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return -1;
}

// Waits for the bytes of every file to reach the disk, from several threads at once. Returns the
// index of the first file that failed (with its errno), or -1.
std::ptrdiff_t flushAll(const std::vector<int> &fds, int &error);
// Calls `each` for every index below `count`, from at most `threads` threads at once (this one
// among them), and returns when all are done: file systems serve many waits on the disk at once in
// about the time of one.
void forEachOnThreads(std::size_t count, std::size_t threads, const std::function<void(std::size_t)> &each);
// Unlinks `names` in the folder `folder` from several threads and returns when all are gone: a file
// system that trims freed blocks takes milliseconds per file one after another, and serves many at
// once in about the same time.
void unlinkAll(int folder, const std::vector<QByteArray> &names);

inline bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

class RegisterFolder::Private
{
public:
    QByteArray path;
    int fd = -1;
    // Names that differ from their lower-case form, by lower-case form; valid once `listed`.
    mutable QHash<QString, QString> casedNames;
    mutable bool listed = false;
    // Temporaries made so far, for names no other writer, and no other temporary of ours, has.
    unsigned temporaries = 0;
    // The kept files' lock, held while this folder is open (-1 until a file is first kept), and
    // the part of their names that tells them from other programs' kept files.
    int keeper = -1;
    QByteArray keeperToken;
    mutable QByteArray identity; // see RegisterFolder::identity()

    IoResult failure(const QString &name, int error) const
    {
        return IoResult::failure(filePath(name), SystemReason(error), error);
    }
    QString filePath(const QString &name) const
    {
        return name.isEmpty() ? QFile::decodeName(path) : QFile::decodeName(path) + QLatin1Char('/') + name;
    }
    bool present(const QString &name) const
    {
        struct stat status;
        return ::fstatat(fd, encoded(name).constData(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    }
    IoResult prepare(const QString &onDisk, const QByteArray &bytes, bool sync, QByteArray &temporary, int &file);
    IoResult rename(const QByteArray &temporary, const QString &onDisk);
    // Whether the file `status` describes may be replaced or removed: a file the user made
    // read-only, one this user may not write, and one that cannot be read are left alone.
    IoResult mayReplace(const QString &onDisk, const struct stat &status) const;
    // A new temporary of this writer holding `bytes` (flushed with `sync`), with the owner and mode
    // of `like` when given; its name in `temporary`, its descriptor left open in `file`.
    IoResult writeTemporary(const QString &onDisk, const QByteArray &bytes, const struct stat *like, bool sync,
                            QByteArray &temporary, int &file);
    QByteArray temporaryName();
    IoResult flushInGroups(std::size_t count, const std::function<IoResult(std::size_t, int &)> &open,
                           const std::function<QString(std::size_t)> &nameOf);
    // A name for a file to keep; a plain temporary's name where the kept files' lock cannot be had
    // (such a file is swept by the next load, and an undo then writes the record instead).
    QByteArray keptName();
    // Lets go of the kept files' lock and removes it: kept files left now are the next load's.
    void releaseKeeper();
    // What file `name` holds, read whole (at most kMaxFileSize); false when it cannot be read.
    bool readAll(const QByteArray &name, QByteArray &bytes) const;
    void learn(const QString &name, bool exists) const;
};
