#pragma once

#include "CrashRegister.h"
#include "RegisterFolder.h"
#include "TempRegister.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QString>

#include <gtest/gtest.h>

#include <unistd.h>

// Programs built beside the tests; the CLI path is empty when the CLI is not part of the build.
inline QString FaultHelperPath() { return QStringLiteral(FAULT_HELPER); }
#ifdef SITEKANRI_CLI
inline QString CliPath() { return QStringLiteral(SITEKANRI_CLI); }
#else
inline QString CliPath() { return {}; }
#endif
#define SKIP_WITHOUT_CLI()                                                                                     \
    if (CliPath().isEmpty())                                                                                   \
    GTEST_SKIP() << "sitekanri-cli is not part of this build"

// A second program that holds the register's lock until its input closes or it is killed.
struct LockHolder
{
    explicit LockHolder(const QString &directory)
    {
        process.start(FaultHelperPath(), {directory});
        if (process.waitForStarted(10000) && process.waitForReadyRead(10000))
            state = process.readLine().trimmed();
    }
    ~LockHolder() { release(); }
    void release()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(10000))
            process.kill();
        process.waitForFinished();
    }
    QProcess process;
    QByteArray state;
};


// Runs shell-free commands separated by ";" ("mount --bind DIR DIR; …"), DIR standing for
// `directory`, "fill DIR" filling it up; stops at the first that fails and returns its complaint,
// or "" when all ran.
QString RunCommands(const char *commands, const QString &directory);

// The tags of the register in `directory` by record number; a failed or damaged load fails the test.
CrashRegister::Contents LoadTags(const QString &directory);

// Where a kill trial keeps its registers: what a kill leaves is the kernel's view of the files,
// the same on any file system, and a RAM disk, where there is one, keeps the trial short.
QString TrialFolderBase();
// Starts `program`, lets it work a random while of at most `spreadUs` once it has said "begin "
// (an operation under way, however slowly this machine runs it), then kills it (SIGKILL). Returns
// what it said; the test fails unless the kill ended it.
QByteArray KillWhileWorking(const QString &program, const QStringList &arguments, QRandomGenerator &random,
                            quint32 spreadUs);

// How much a trial does: `everyday` (a few seconds' work here) times SITEKANRI_TRIAL_SCALE (1 unless
// set), or what `variable` says where it is set.
int TrialCount(const char *variable, int everyday);
// The seed of a trial's random moments: SITEKANRI_TRIAL_SEED when set, else a new one; printed
// with the scale either way, so that a failing run can be repeated.
quint32 TrialSeed();

// A log of operations on the register, one line each before it starts ("begin add 0 TAG",
// "begin update NUMBER TAG", "begin delete NUMBER -") and one after it ended ("done NUMBER", the
// new record's for an add; "undone" for one refused), replayed over the register it started from.
struct Replay
{
    CrashRegister::Contents contents; // with every finished operation
    QList<QByteArray> pending;        // the "begin" words of the one a kill cut short, if any
    int finished = 0;
};
Replay ReplayLog(CrashRegister::Contents contents, const QByteArray &log);
// Whether `shown` is what the log made of the register: the operation cut short done or not.
bool ShowsReplay(const Replay &replay, const CrashRegister::Contents &shown);
// " lost N:TAG", " extra N:TAG" for each difference, for failure messages.
std::string Differences(const CrashRegister::Contents &expected, const CrashRegister::Contents &shown);
