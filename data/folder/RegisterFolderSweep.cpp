// Removing what an operation moved aside once the operation is done.
#include "RegisterFolder.h"
#include "RegisterFolderPrivate.h"

#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace {

// So few that they are removed before the operation returns, as a single delete's file is.
constexpr std::size_t kMostAtOnce = 32;
constexpr std::size_t kSweepThreads = 16;

} // namespace

void unlinkAll(int folder, const std::vector<QByteArray> &names)
{
    forEachOnThreads(names.size(), kSweepThreads, [&](std::size_t i) { ::unlinkat(folder, names[i].constData(), 0); });
}

void RegisterFolder::discardAll(const std::vector<QString> &asides)
{
    if (d->fd < 0 || asides.empty())
        return;
    std::vector<QByteArray> names;
    names.reserve(asides.size());
    for (const QString &aside : asides)
        names.push_back(encoded(aside));
    if (names.size() <= kMostAtOnce) {
        for (const QByteArray &name : names)
            ::unlinkat(d->fd, name.constData(), 0);
        return;
    }
    // Many: nobody waits for them. The folder is reached through a descriptor of the sweep's own,
    // which stays valid however soon this one is closed; what a program ending meanwhile leaves is
    // removed by the next load, as any writer's temporary is.
    const int folder = ::fcntl(d->fd, F_DUPFD_CLOEXEC, 0);
    if (folder < 0) {
        unlinkAll(d->fd, names);
        return;
    }
    std::thread([folder, names = std::move(names)] {
        unlinkAll(folder, names);
        ::close(folder);
    }).detach();
}
