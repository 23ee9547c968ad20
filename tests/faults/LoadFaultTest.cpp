#include "FaultSupport.h"

#include <QFile>
#include <QDir>


// A register file that exists but cannot be read must fail the load, never load as an empty or
// shortened list (a later save would then write over what could not be read). Root reads
// everything, so `sitekanri-cli list` runs as another user.
namespace {

TEST(UnreadableFile, loadFailsNamingTheFile)
{
    // Made unreadable (chmod 000), "." for the register folder.
    for (const char *closed : {"setting.ini", "data2.ini", "."}) {
        SCOPED_TRACE(closed);
        TempRegister reg;
        WriteRegister(reg.path(), {MakeRecord("a", "u"), MakeRecord("b", "u"), MakeRecord("c", "u")});
        // The other user must reach the folder: only the chosen file is closed to it.
        ASSERT_TRUE(QFile::setPermissions(reg.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                          | QFile::ReadOther | QFile::ExeOther));
        const QString file = QDir::cleanPath(reg.file(QString::fromLatin1(closed)));
        ASSERT_TRUE(QFile::setPermissions(file, {}));
        struct Reopen { QString path; ~Reopen() { QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); } } reopen{file};

        QStringList command{CliPath(), QStringLiteral("--dir"), reg.path(), QStringLiteral("list")};
        // As root the reader drops to uid 65534; as anyone else chmod 000 stops them already.
        if (::geteuid() == 0)
            command = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                  QStringLiteral("--clear-groups")} + command;
        const QString program = command.takeFirst();
        const ProgramRun run = RunProgram(program, command);
        EXPECT_EQ(run.exitCode, 1) << run.out.toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        const QString err = QString::fromUtf8(run.err);
        EXPECT_TRUE(err.contains(file) && err.contains(QStringLiteral("アクセスが拒否されました"))) << run.err.toStdString();
    }
}

} // namespace
