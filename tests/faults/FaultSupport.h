#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
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

// A fault made on a directory for the life of the object: a small file system mounted over
// it, the directory bound over itself read-only, or made immutable (chattr +i). When the
// fault cannot be made, `error` says why and nothing is returned.
class ScopedFault
{
public:
    static std::unique_ptr<ScopedFault> Tmpfs(const QString &directory, const char *options, QString &error);
    static std::unique_ptr<ScopedFault> ReadOnlyBind(const QString &directory, QString &error);
    static std::unique_ptr<ScopedFault> Immutable(const QString &directory, QString &error);
    ~ScopedFault() { m_undo(); }

private:
    explicit ScopedFault(std::function<void()> undo) : m_undo(std::move(undo)) {}
    std::function<void()> m_undo;
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
