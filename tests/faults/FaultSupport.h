#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include <unistd.h>

// Fault trials run as root in CI, where permissions alone stop nothing; without root they
// cannot make their fault and say so.
#define SKIP_UNLESS_ROOT()                                                                                    \
    do {                                                                                                      \
        if (::geteuid() != 0)                                                                                 \
            GTEST_SKIP() << "needs root to make this fault (mount, chattr, another user); running as uid "  \
                         << ::geteuid();                                                                      \
    } while (0)

// Every file in a directory (hidden ones included) with its bytes: two equal snapshots mean
// nothing was changed, added or left behind.
using Snapshot = std::map<QString, QByteArray>;
Snapshot TakeSnapshot(const QString &directory);
// "name (n bytes)" lines, for failure messages.
std::string Describe(const Snapshot &snapshot);

// A file system mounted over a directory for the life of the object. `error` is empty when
// the mount worked; otherwise it says why, and the object holds nothing.
class ScopedMount
{
public:
    static std::unique_ptr<ScopedMount> Tmpfs(const QString &directory, const char *options, QString &error);
    // The directory itself, bound over itself and made read-only.
    static std::unique_ptr<ScopedMount> ReadOnlyBind(const QString &directory, QString &error);
    ~ScopedMount();

private:
    explicit ScopedMount(const QString &directory) : m_directory(directory) {}
    QString m_directory;
};

// The directory made immutable (chattr +i) for the life of the object.
class ScopedImmutable
{
public:
    static std::unique_ptr<ScopedImmutable> Make(const QString &directory, QString &error);
    ~ScopedImmutable();

private:
    explicit ScopedImmutable(const QString &directory) : m_directory(directory) {}
    QString m_directory;
};

struct ProgramRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program to its end; `asNobody` drops it to uid/gid 65534 without supplementary groups.
ProgramRun RunProgram(const QString &program, const QStringList &arguments, bool asNobody = false);

QString FaultHelperPath();
QString CliPath(); // empty when the CLI is not built

// The system's wording of an errno value, as the register reports it.
QString SystemReason(int error);

// Saves `count` simple records ("site<i>") into the register directory in force.
void SaveSimpleRegister(int count);
