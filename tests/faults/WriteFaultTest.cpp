#include "CaseName.h"
#include "FaultSupport.h"
#include "RegisterFiles.h"
#include "RegisterLock.h"

#include <QFile>

#include <cerrno>

// Operations that cannot be completed: each fails naming the file and the reason in Japanese,
// and leaves every file of the register exactly as it was, with nothing left behind.
namespace {

enum class Operation { Add, AddLarge, UpdateFirst, RemoveFirst, CliAdd, CliUpdate, CliDelete };

struct WriteFault
{
    const char *name;
    const char *mount; // made on the empty register folder first, or nullptr
    const char *fault; // made once the register holds three records, or nullptr
    const char *undo;  // run at the end
    Operation operation;
    const char *file;  // the file the failure names
    int error;
};

class WriteFaults : public ::testing::TestWithParam<WriteFault> {};

OperationResult operate(const QString &directory, Operation operation)
{
    RegisterFolder folder(QFile::encodeName(directory));
    RegisterFiles files(folder, 100);
    SiteRecord record;
    record.m_name = "new";
    record.m_url = "http://example.jp/";
    switch (operation) {
    case Operation::Add:
        return files.add(record);
    case Operation::AddLarge:
        record.m_content = QByteArray(256 * 1024, 'x');
        return files.add(record);
    case Operation::UpdateFirst:
        return files.update(1, record);
    default:
        return files.remove(1);
    }
}

ProgramRun runCli(const QString &directory, Operation operation)
{
    QStringList arguments{QStringLiteral("--dir"), directory};
    if (operation == Operation::CliAdd)
        arguments << QStringLiteral("add") << QStringLiteral("--name") << QStringLiteral("新しいサイト");
    else if (operation == Operation::CliUpdate)
        arguments << QStringLiteral("update") << QStringLiteral("1") << QStringLiteral("--name") << QStringLiteral("新しいサイト");
    else
        arguments << QStringLiteral("delete") << QStringLiteral("1");
    if (operation != Operation::CliDelete)
        arguments << QStringLiteral("--url") << QStringLiteral("http://example.jp/");
    return RunProgram(CliPath(), arguments);
}

TEST_P(WriteFaults, failNamingFileAndReason_everyFileUnchanged)
{
    const WriteFault &c = GetParam();
    if (c.mount || c.fault) {
        SKIP_UNLESS_ROOT();
    }
    const bool cli = c.operation >= Operation::CliAdd;
    if (cli && CliPath().isEmpty())
        GTEST_SKIP() << "sitekanri-cli is not part of this build";
    TempRegister reg;
    struct Undo { const char *commands; QString dir; ~Undo() { if (commands) { EXPECT_EQ(RunCommands(commands, dir), QString()); } } };
    if (c.mount) {
        if (const QString error = RunCommands(c.mount, reg.path()); !error.isEmpty())
            GTEST_SKIP() << "cannot make this fault here: " << error.toStdString();
    }
    const Undo undo{c.mount ? c.undo : nullptr, reg.path()};
    SaveSimpleRegister(3);
    if (c.fault) {
        if (const QString error = RunCommands(c.fault, reg.path()); !error.isEmpty())
            GTEST_SKIP() << "cannot make this fault here: " << error.toStdString();
    }
    const Undo undoFault{c.fault ? c.undo : nullptr, reg.path()};
    const Snapshot before = TakeSnapshot(reg.path());
    const QString file = reg.file(QString::fromLatin1(c.file));
    if (cli) {
        const ProgramRun run = runCli(reg.path(), c.operation);
        EXPECT_EQ(run.exitCode, 1);
        const QString err = QString::fromUtf8(run.err);
        EXPECT_TRUE(err.contains(file) && err.contains(SystemReason(c.error))) << run.err.toStdString();
        EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << "one clear line: " << run.err.toStdString();
    } else {
        const OperationResult result = operate(reg.path(), c.operation);
        EXPECT_EQ(result.status, OperationStatus::Failed);
        EXPECT_EQ(result.io.file, file);
        EXPECT_EQ(result.io.reason, SystemReason(c.error));
        SiteList sites;
        bool damaged = false;
        RegisterFolder folder(QFile::encodeName(reg.path()));
        EXPECT_TRUE(RegisterFiles(folder, 100).load(sites, damaged));
        EXPECT_EQ(sites.size(), 3u);
    }
    EXPECT_EQ(TakeSnapshot(reg.path()), before) << Describe(TakeSnapshot(reg.path()));
}

const char *const kReadOnly = "mount --bind DIR DIR; mount -o remount,bind,ro DIR";
const char *const kTiny = "mount -t tmpfs -o size=64k tmpfs DIR";

INSTANTIATE_TEST_SUITE_P(
    Faults, WriteFaults,
    ::testing::Values(
        WriteFault{"read-only, add", nullptr, kReadOnly, "umount -l DIR", Operation::Add, "data4.ini", EROFS},
        WriteFault{"read-only, update", nullptr, kReadOnly, "umount -l DIR", Operation::UpdateFirst, "data1.ini", EROFS},
        WriteFault{"read-only, delete", nullptr, kReadOnly, "umount -l DIR", Operation::RemoveFirst, "data1.ini", EROFS},
        WriteFault{"read-only, cli add", nullptr, kReadOnly, "umount -l DIR", Operation::CliAdd, "data4.ini", EROFS},
        WriteFault{"read-only, cli update", nullptr, kReadOnly, "umount -l DIR", Operation::CliUpdate, "data1.ini", EROFS},
        WriteFault{"read-only, cli delete", nullptr, kReadOnly, "umount -l DIR", Operation::CliDelete, "data1.ini", EROFS},
        // No lock file can be made: the register still loads, and writing fails naming the lock.
        WriteFault{"read-only before any lock", nullptr, "rm DIR/sitekanri.lock; mount --bind DIR DIR; mount -o remount,bind,ro DIR",
                   "umount -l DIR", Operation::Add, "sitekanri.lock", EROFS},
        WriteFault{"immutable folder", nullptr, "chattr +i DIR", "chattr -i DIR", Operation::Add, "data4.ini", EPERM},
        WriteFault{"full disk", kTiny, nullptr, "umount -l DIR", Operation::AddLarge, "data4.ini", ENOSPC}),
    CaseName());

} // namespace
