#include "FaultSupport.h"

#include <QFile>

#include <cerrno>

// A register file that exists but cannot be read must fail the load, never load as an empty or
// shortened list (a later save would then write over what could not be read). Root reads
// everything, so the load runs in a process dropped to another user.
namespace {

TEST(UnreadableFile, loadFailsNamingTheFile)
{
    const struct
    {
        const char *closed;  // made unreadable (chmod 000); "." for the register folder
        const char *failing; // the file the load must name; "" for the register folder
        bool cli;            // loaded by `sitekanri-cli list` instead of the helper
    } cases[] = {{"setting.ini", "setting.ini", false}, {"data2.ini", "data2.ini", false}, {".", "", false},
                 {"setting.ini", "setting.ini", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.closed) + (c.cli ? ", cli list" : ""));
        if (c.cli && CliPath().isEmpty())
            continue;
        TempRegister reg;
        SaveSimpleRegister(3);
        // The other user must reach the folder: only the chosen file is closed to it.
        ASSERT_TRUE(QFile::setPermissions(reg.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                          | QFile::ReadOther | QFile::ExeOther));
        const QString closed = reg.file(QString::fromLatin1(c.closed));
        ASSERT_TRUE(QFile::setPermissions(closed, {}));
        struct Reopen { QString path; ~Reopen() { QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); } } reopen{closed};

        QStringList command = c.cli ? QStringList{CliPath(), QStringLiteral("--dir"), reg.path(), QStringLiteral("list")}
                                    : QStringList{FaultHelperPath(), QStringLiteral("load"), reg.path()};
        // As root the reader drops to uid 65534; as anyone else chmod 000 stops them already.
        if (::geteuid() == 0)
            command = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                  QStringLiteral("--clear-groups")} + command;
        const QString program = command.takeFirst();
        const ProgramRun run = RunProgram(program, command);
        const QString file = c.failing[0] ? reg.file(QString::fromLatin1(c.failing)) : reg.path();
        EXPECT_EQ(run.exitCode, 1) << run.out.toStdString() << run.err.toStdString();
        if (c.cli) {
            EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
            const QString err = QString::fromUtf8(run.err);
            EXPECT_TRUE(err.contains(file) && err.contains(SystemReason(EACCES))) << run.err.toStdString();
        } else {
            EXPECT_EQ(QString::fromUtf8(run.out), QStringLiteral("failed\t%1\t%2\n").arg(file, SystemReason(EACCES)));
        }
    }
}

} // namespace
