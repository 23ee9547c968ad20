#include "RegisterFolder.h"
#include "RegisterFolderPrivate.h"

#include <QHash>

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

// The folder's names: the listing, and the spellings another program may give a name (DATA7.INI for
// data7.ini), which every reader here resolves the one way a load does.

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


} // namespace

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
        const QString name = decoded(raw);
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

std::optional<bool> RegisterFolder::hasCasedNames() const
{
    return d->listed ? std::optional<bool>(!d->casedNames.isEmpty()) : std::nullopt;
}

void RegisterFolder::knowNoCasedNames()
{
    d->casedNames.clear();
    d->listed = true;
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
    // Only names with capitals are learnt: the others cost no look at the disk.
    if (d->fd >= 0 && d->listed && hasUpperCase(name))
        d->learn(name, d->present(name));
}
