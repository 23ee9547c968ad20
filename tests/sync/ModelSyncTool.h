#pragma once

// A file-sync tool between register folders on this machine, modelled on Syncthing, for running
// thousands of meetings of two or three computers in the time one real one takes. Each folder has
// an index of the files it has seen, each file version with a version vector. A scan finds what
// changed in one folder; a delivery brings one file version, chosen at random, from one connected
// computer to another: a version the receiver's does not already include replaces it (or removes
// it, for a deletion), and two versions made apart are a conflict. Then, as Syncthing does, a
// change beats a deletion, equal contents are no conflict, and otherwise the version written later
// (then the higher device) keeps the name everywhere, and each computer that held the other keeps
// that one beside it as "<name>.sync-conflict-<date>-<time>-<device>.<ext>", a new file of its own.
//
// It also carries what each computer has heard of (a vector clock of the program's operations on
// every computer), which a test uses to tell a site deleted knowingly from one lost.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <set>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <iostream>
#include <map>
#include <random>
#include <tuple>
#include <vector>

class ModelSyncTool
{
public:
    using Clock = std::vector<int>;

    ModelSyncTool(const std::vector<QString> &folders, std::mt19937 &random)
        : m_folders(folders), m_random(random), m_changed(folders.size()), m_index(folders.size()), m_rejected(folders.size()), m_heard(folders.size(), Clock(folders.size(), 0)),
          m_linked(folders.size(), std::vector<bool>(folders.size(), true))
    {
        // As a real tool does, it learns what changed from the kernel rather than reading all again.
        for (const QString &folder : folders) {
            m_watches.push_back(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
            ::inotify_add_watch(m_watches.back(), QFile::encodeName(folder).constData(),
                                IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE | IN_ATTRIB);
        }
    }
    ~ModelSyncTool()
    {
        for (const int watch : m_watches)
            ::close(watch);
    }
    ModelSyncTool(const ModelSyncTool &) = delete;
    ModelSyncTool &operator=(const ModelSyncTool &) = delete;

    // What `computer` has heard of; an operation there counts itself in first.
    Clock &heard(int computer) { return m_heard[std::size_t(computer)]; }
    void link(int a, int b, bool up) { m_linked[std::size_t(a)][std::size_t(b)] = m_linked[std::size_t(b)][std::size_t(a)] = up; }
    void linkAll(bool up)
    {
        for (auto &row : m_linked)
            std::fill(row.begin(), row.end(), up);
    }

    // The tool on `computer` notices every change in its folder since it last looked.
    void scan(int computer)
    {
        std::set<QString> changed;
        alignas(inotify_event) char buffer[65536];
        for (ssize_t got; (got = ::read(m_watches[std::size_t(computer)], buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if (event->len > 0)
                    changed.insert(QFile::decodeName(event->name));
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        for (const QString &name : changed)
            scanFile(computer, name);
        m_changed[std::size_t(computer)].insert(changed.begin(), changed.end());
    }
    // The names changed in `computer`'s folder since this was last asked, as a watcher tells them.
    QStringList takeChanged(int computer)
    {
        std::set<QString> &changed = m_changed[std::size_t(computer)];
        const QStringList names(changed.begin(), changed.end());
        changed.clear();
        return names;
    }

    // The files of `computer`'s folder and their bytes, as its last scan found them.
    std::map<QString, QByteArray> files(int computer) const
    {
        std::map<QString, QByteArray> present;
        for (const auto &[name, version] : m_index[std::size_t(computer)]) {
            if (!version.deleted)
                present.emplace(name, version.bytes);
        }
        return present;
    }

    // Delivers one file version one connected computer has and another lacks; false when none.
    bool deliverOne()
    {
        std::vector<std::tuple<int, int, QString>> pending;
        for (int from = 0; from < computers(); ++from) {
            for (int to = 0; to < computers(); ++to) {
                if (from == to || !m_linked[std::size_t(from)][std::size_t(to)])
                    continue;
                for (const auto &[name, version] : m_index[std::size_t(from)]) {
                    const auto there = m_index[std::size_t(to)].find(name);
                    const auto &rejected = m_rejected[std::size_t(to)][name];
                    if (there == m_index[std::size_t(to)].end()
                            ? !version.deleted
                            : !includes(there->second.vector, version.vector)
                                && std::find(rejected.begin(), rejected.end(), std::pair(version.vector, there->second.vector)) == rejected.end())
                        pending.emplace_back(from, to, name);
                }
            }
        }
        if (pending.empty())
            return false;
        const auto &[from, to, name] = pending[std::uniform_int_distribution<std::size_t>(0, pending.size() - 1)(m_random)];
        if (qEnvironmentVariableIsSet("SITEKANRI_SYNC_TRACE"))
            std::cerr << "  deliver " << name.toStdString() << " " << from + 1 << "->" << to + 1 << "\n";
        deliver(from, to, name);
        return true;
    }

private:
    struct Version
    {
        QByteArray bytes;
        bool deleted = false;
        std::map<int, int> vector; // by device
        long long written = 0;     // when its writer's scan found it: the later one wins a conflict
        Clock heard;               // what its writer had heard of then
    };

    int computers() const { return int(m_folders.size()); }
    QString folder(int computer) const { return m_folders[std::size_t(computer)]; }
    QString path(int computer, const QString &name) const { return folder(computer) + u'/' + name; }

    static bool includes(const std::map<int, int> &a, const std::map<int, int> &b)
    {
        return std::all_of(b.begin(), b.end(), [&](const auto &entry) {
            const auto it = a.find(entry.first);
            return it != a.end() && it->second >= entry.second;
        });
    }
    static std::map<int, int> merged(std::map<int, int> a, const std::map<int, int> &b)
    {
        for (const auto &[device, counter] : b)
            a[device] = std::max(a[device], counter);
        return a;
    }
    // A new version made on `device`: its counter is one no device has given before, as a real
    // tool's counters follow the clock. One counted from `vector` alone could repeat a counter the
    // device gave a version that `vector` forgot (a deletion beaten by a change), and a later
    // version would then seem to hold one it never saw.
    std::map<int, int> bumped(std::map<int, int> vector, int device)
    {
        vector[device] = ++m_counter;
        return vector;
    }
    static void merge(Clock &into, const Clock &other)
    {
        for (std::size_t i = 0; i < into.size() && i < other.size(); ++i)
            into[i] = std::max(into[i], other[i]);
    }

    void scanFile(int computer, const QString &name)
    {
        // The tool's own working files and the register's temporaries are not synced.
        if (name.startsWith(QLatin1String(".syncthing.")) || name == QLatin1String("sitekanri.lock"))
            return;
        auto &index = m_index[std::size_t(computer)];
        QByteArray bytes;
        const int file = ::open(QFile::encodeName(path(computer, name)).constData(), O_RDONLY | O_CLOEXEC);
        const bool exists = file >= 0;
        for (char buffer[4096]; exists;) {
            const ssize_t got = ::read(file, buffer, sizeof buffer);
            if (got <= 0)
                break;
            bytes.append(buffer, got);
        }
        if (exists)
            ::close(file);
        const auto known = index.find(name);
        if (known == index.end() ? !exists : known->second.deleted ? !exists : exists && known->second.bytes == bytes)
            return;
        Version &version = index[name];
        version.vector = bumped(version.vector, computer);
        version.bytes = bytes;
        version.deleted = !exists;
        version.written = ++m_time;
        version.heard = m_heard[std::size_t(computer)];
    }

    void write(int computer, const QString &name, const QByteArray &bytes)
    {
        const QString temporary = path(computer, QStringLiteral(".syncthing.") + name + QStringLiteral(".tmp"));
        QFile file(temporary);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush()) {
            file.close();
            std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path(computer, name)).constData());
        }
    }

    QString conflictName(const QString &name, int device)
    {
        const qsizetype dot = name.lastIndexOf(u'.');
        const QString stem = dot > 0 ? name.left(dot) : name, extension = dot > 0 ? name.mid(dot) : QString();
        return stem + QStringLiteral(".sync-conflict-20261207-%1-SIMDEV%2").arg(++m_conflicts % 1000000, 6, 10, QLatin1Char('0')).arg(QChar(u'A' + device))
            + extension;
    }

    void deliver(int from, int to, const QString &name)
    {
        scan(to); // what the receiver changed meanwhile counts
        const Version incoming = m_index[std::size_t(from)][name];
        auto &index = m_index[std::size_t(to)];
        merge(m_heard[std::size_t(to)], incoming.heard);
        const auto there = index.find(name);
        if (there == index.end() || includes(incoming.vector, there->second.vector)) {
            take(to, name, incoming);
            return;
        }
        Version &mine = there->second;
        if (includes(mine.vector, incoming.vector))
            return;
        // Made apart: a conflict. A change beats a deletion: a change that comes is taken as it
        // is; one made here stands, as a version newer than both, which goes to the others.
        const std::map<int, int> both = merged(mine.vector, incoming.vector);
        if (mine.deleted && !incoming.deleted) {
            take(to, name, incoming);
            return;
        }
        if (incoming.deleted || mine.bytes == incoming.bytes) {
            if (!incoming.deleted)
                mine.vector = both; // equal versions are one
            else
                mine.vector = bumped(both, to);
            return;
        }
        // Both changed: the version written later (then the higher device) wins everywhere. The
        // loser's computer, when the winner reaches it, keeps its own version as a conflict copy;
        // the winner's ignores the loser.
        const bool incomingWins = incoming.written != mine.written ? incoming.written > mine.written : from > to;
        if (!incomingWins) {
            m_rejected[std::size_t(to)][name].emplace_back(incoming.vector, mine.vector);
            return;
        }
        std::rename(QFile::encodeName(path(to, name)).constData(), QFile::encodeName(path(to, conflictName(name, to))).constData());
        take(to, name, incoming);
    }

    void take(int to, const QString &name, const Version &version)
    {
        if (version.deleted)
            QFile::remove(path(to, name));
        else
            write(to, name, version.bytes);
        m_index[std::size_t(to)][name] = version;
    }

    std::vector<QString> m_folders;
    std::mt19937 &m_random;
    std::vector<int> m_watches;
    std::vector<std::set<QString>> m_changed;
    std::vector<std::map<QString, Version>> m_index;
    // Versions each computer ignored, having won a conflict against them, with the version that won.
    std::vector<std::map<QString, std::vector<std::pair<std::map<int, int>, std::map<int, int>>>>> m_rejected;
    std::vector<Clock> m_heard;
    std::vector<std::vector<bool>> m_linked;
    long long m_time = 0;
    int m_counter = 0;
    int m_conflicts = 0;
};
