#pragma once

#include "TempRegister.h"

#include <QProcess>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <map>

// Programs built beside the tests.
inline QString FaultHelperPath() { return QStringLiteral(FAULT_HELPER); }
inline QString CliPath() { return QStringLiteral(SITEKANRI_CLI); }
// sitekanri-cli run on the register in `directory`.
inline ProgramRun RunCli(const QString &directory, const QStringList &arguments)
{
    return RunProgram(CliPath(), QStringList{QStringLiteral("--dir"), directory} + arguments);
}

// A second program that holds the register's lock until its input closes or it is killed.
struct LockHolder
{
    explicit LockHolder(const QString &directory)
    {
        process.start(FaultHelperPath(), {directory, QStringLiteral("lock")});
        if (process.waitForStarted(10000) && process.waitForReadyRead(10000))
            state = process.readLine().trimmed();
    }
    ~LockHolder() // a holder still running after that is killed with its QProcess
    {
        process.closeWriteChannel();
        process.waitForFinished(10000);
    }
    QProcess process;
    QByteArray state;
};

// The register that kill trials kill programs over: record number → the tag its name carries.
using Contents = std::map<int, QByteArray>;
constexpr int kCrashRecords = 1000;

// Writes the starting register into the empty folder `directory`: realistic records (Japanese
// text, quoted blanks, long contents) numbered 1 … kCrashRecords, every seventh one missing (gaps,
// as deletes leave them).
Contents WriteCrashRegister(const QString &directory);
// The tags of the register in `directory` by record number; a failed or damaged load fails the test.
Contents LoadTags(const QString &directory);
// LoadTags with the data files above the count, which the next write counts in: a single new
// record cut short after its file was claimed surfaces there, as done.
Contents LoadTagsCountingIn(const QString &directory);
// Complaints about the files in `directory`: a file not whole (not as a write leaves it), or
// more temporaries left behind than `allowedTemporaries`. Empty when all is well.
QString CheckFiles(const QString &directory, int allowedTemporaries);

// Where a kill trial keeps its registers: what a kill leaves is the kernel's view of the files,
// the same on any file system, and a RAM disk, where there is one, keeps the trial short.
QString TrialFolderBase();
// How much a trial does: `everyday` (a few seconds' work here) times SITEKANRI_TRIAL_SCALE (1 unless
// set), or what `variable` says where it is set.
int TrialCount(const char *variable, int everyday);
// The seed of a trial's random moments: SITEKANRI_TRIAL_SEED when set, else a new one; printed
// with the scale either way, so that a failing run can be repeated.
quint32 TrialSeed();
