#include "CaseName.h"
#include "FaultSupport.h"
#include "TempRegister.h"

#include <QFile>

#include <cerrno>

// A register file that exists but cannot be read must fail the load, never load as an empty or
// shortened list (a later save would then write over what could not be read). Root reads
// everything, so the load runs in a process dropped to another user.
namespace {

struct UnreadableCase
{
    const char *name;
    const char *closed;  // file made unreadable (chmod 000), "." for the register folder, or nullptr
    const char *failing; // the file the load must name
};

class UnreadableFile : public ::testing::TestWithParam<UnreadableCase>
{
protected:
    void SetUp() override
    {
        SaveSimpleRegister(3);
        // The other user must reach the folder: only the chosen file is closed to it.
        ASSERT_TRUE(QFile::setPermissions(m_reg.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                            | QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup
                                                            | QFile::ExeGroup));
        if (GetParam().closed) {
            m_closed = m_reg.file(QString::fromLatin1(GetParam().closed));
            m_file = m_reg.file(QString::fromLatin1(GetParam().failing));
            ASSERT_TRUE(QFile::setPermissions(m_closed, {}));
        }
    }

    void TearDown() override
    {
        if (!m_closed.isEmpty())
            QFile::setPermissions(m_closed, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // As root the reader drops to uid 65534; as anyone else chmod 000 stops them already.
    static bool asNobody() { return ::geteuid() == 0; }

    TempRegister m_reg;
    QString m_closed;
    QString m_file;
};

TEST_P(UnreadableFile, loadFailsNamingTheFile)
{
    const ProgramRun run = RunProgram(FaultHelperPath(), {QStringLiteral("load"), m_reg.path()}, asNobody());
    if (m_file.isEmpty()) {
        EXPECT_EQ(run.out, "loaded 3\n") << run.err.toStdString();
        return;
    }
    EXPECT_EQ(run.exitCode, 1) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(run.out), QStringLiteral("failed\t%1\t%2\n").arg(m_file, SystemReason(EACCES)));
}

TEST_P(UnreadableFile, cliListExitsOneNamingTheFile)
{
    if (CliPath().isEmpty())
        GTEST_SKIP() << "sitekanri-cli is not part of this build";
    const ProgramRun run = RunProgram(CliPath(), {QStringLiteral("--dir"), m_reg.path(), QStringLiteral("list")}, asNobody());
    if (m_file.isEmpty()) {
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.count('\n'), 3);
        return;
    }
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    const QString err = QString::fromUtf8(run.err);
    EXPECT_TRUE(err.contains(m_file) && err.contains(SystemReason(EACCES))) << run.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Faults, UnreadableFile,
                         ::testing::Values(UnreadableCase{"all readable", nullptr, nullptr},
                                           UnreadableCase{"setting", "setting.ini", "setting.ini"},
                                           UnreadableCase{"data file", "data2.ini", "data2.ini"},
                                           UnreadableCase{"register folder", ".", "setting.ini"}),
                         CaseName());

} // namespace
