// Files a delete keeps aside so that its undo can give them their names back instead of writing
// them again, and the sweep of what interrupted writes left.
//
// A program's kept files are named ".sitekanri-kept-<token>-<n>.tmp", beside a lock file of its
// own, ".sitekanri-kept-<token>.tmp", which it holds locked (flock) while its folder is open. The
// kernel lets go of that lock when the program ends however it ends, so a sweep that can take the
// lock knows that nobody will put those files back, and removes them with the lock file.
#include "RegisterFolder.h"
#include "RegisterFolderPrivate.h"

#include <QHash>
#include <QRandomGenerator>

#include <sys/file.h>

namespace {

const QByteArray kKeptPrefix = QByteArrayLiteral(".sitekanri-kept-");
// Temporaries of the replacements of earlier versions.
const QString kOldTemporarySuffix = QStringLiteral(".sitekanri-tmp");

QByteArray keeperName(const QByteArray &token)
{
    return kKeptPrefix + token + ".tmp";
}

// The token of a kept file's name, or of its lock file's; empty for any other name.
QByteArray keptToken(const QByteArray &name)
{
    if (!name.startsWith(kKeptPrefix) || !name.endsWith(".tmp"))
        return {};
    const QByteArray rest = name.mid(kKeptPrefix.size(), name.size() - kKeptPrefix.size() - 4);
    const qsizetype dash = rest.indexOf('-');
    return dash < 0 ? rest : rest.left(dash);
}

} // namespace

QByteArray RegisterFolder::Private::keptName()
{
    if (keeper < 0) {
        // Made under the register's lock, which no sweep holds at the same time: no sweep finds
        // the lock file before it is locked.
        const QByteArray token = QByteArray::number(qint64(::getpid())) + '_'
            + QByteArray::number(QRandomGenerator::global()->generate64(), 16);
        const int file = ::openat(fd, keeperName(token).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (file < 0)
            return temporaryName();
        if (::flock(file, LOCK_EX | LOCK_NB) != 0) {
            ::close(file);
            ::unlinkat(fd, keeperName(token).constData(), 0);
            return temporaryName();
        }
        keeper = file;
        keeperToken = token;
    }
    return kKeptPrefix + keeperToken + '-' + QByteArray::number(++temporaries) + ".tmp";
}

void RegisterFolder::Private::releaseKeeper()
{
    if (keeper < 0)
        return;
    ::unlinkat(fd, keeperName(keeperToken).constData(), 0);
    ::close(keeper);
    keeper = -1;
}

void RegisterFolder::sweep(const QStringList &names)
{
    if (d->fd < 0)
        return;
    QHash<QByteArray, bool> running; // by token
    const auto keptByRunningProgram = [&](const QByteArray &token) {
        if (token == d->keeperToken && d->keeper >= 0)
            return true;
        if (const auto known = running.constFind(token); known != running.constEnd())
            return *known;
        // Whoever holds the lock runs; a lock file that is gone, or that can be taken, has nobody.
        bool held = false;
        const int file = ::openat(d->fd, keeperName(token).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (file >= 0) {
            held = ::flock(file, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
            ::close(file);
        }
        running.insert(token, held);
        return held;
    };
    std::vector<QByteArray> leftovers;
    for (const QString &name : names) {
        if (!isTemporaryName(name) && !name.endsWith(kOldTemporarySuffix))
            continue;
        QByteArray onDisk = encoded(name);
        const QByteArray token = keptToken(onDisk);
        if (token.isEmpty() || !keptByRunningProgram(token))
            leftovers.push_back(std::move(onDisk));
    }
    // The load that sweeps waits for it, unlike a delete that discards its own files: a command that
    // ends right after its load would otherwise leave the rest of a crash's leftovers to every next
    // one. Removing a leftover need not be durable: one that comes back after a power cut is swept
    // again.
    unlinkAll(d->fd, leftovers);
}
