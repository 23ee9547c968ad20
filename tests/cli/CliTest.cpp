// sitekanri-cli run as the real program where a session of sessions.txt cannot say it: a folder
// name that is no UTF-8, output to a full disk.
#include "TempRegister.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs `argv` as given, bytes that are no UTF-8 included (QProcess would convert them); its exit
// status and the start of its standard output.
std::pair<int, QByteArray> RunAsGiven(std::vector<const char *> argv)
{
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0)
        return {-1, {}};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::execv(argv[0], const_cast<char **>(argv.data()));
        ::_exit(127);
    }
    ::close(out[1]);
    char buffer[4096];
    const ssize_t got = ::read(out[0], buffer, sizeof buffer);
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, QByteArray(buffer, std::max<ssize_t>(got, 0))};
}

// Names that are no UTF-8 are used byte for byte: a --dir given, and the folder of a portable
// install, whose register beside the program is the one used (not another folder whose name
// holds replacement characters).
TEST(CliPaths, namesThatAreNoUtf8AreTakenAsGiven)
{
    QTemporaryDir root;
    const std::filesystem::path folder = (QFile::encodeName(root.path()) + "/portable\xFF").toStdString();
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(SITEKANRI_CLI_PATH, folder / "sitekanri-cli");
    std::ofstream(folder / "setting.ini") << "[SETTING]\r\nDATA_CNT=1\r\n";
    std::ofstream(folder / "data1.ini") << "[DATA]\r\nNAME=beside\r\nURL=u\r\n";
    EXPECT_TRUE(RunAsGiven({(folder / "sitekanri-cli").c_str(), "list"}).second.startsWith("beside\t"))
        << "the register beside the program was not read";
    const std::filesystem::path given = folder / "reg\xFE";
    EXPECT_EQ(RunAsGiven({SITEKANRI_CLI_PATH, "--dir", given.c_str(), "add", "--name", "n", "--url", "u"}).first, 0);
    EXPECT_TRUE(std::filesystem::exists(given / "data1.ini")) << "the record went to another folder";
    std::filesystem::remove_all(folder); // Qt cannot name these folders
}

// Output that cannot be written (here a full disk) is a failure, never exit 0 with a cut-off text.
TEST(CliList, unwritableOutputFails)
{
    TempRegister reg;
    AddRecords(reg.path(), {MakeRecord("first", "http://first/")});
    for (const char *command : {"list", "keywords", "links"}) {
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(SITEKANRI_CLI_PATH),
                      {QStringLiteral("--dir"), reg.path(), QString::fromLatin1(command)});
        ASSERT_TRUE(process.waitForFinished(30000)) << command;
        EXPECT_EQ(process.exitCode(), 1) << command;
        const QByteArray err = process.readAllStandardError();
        EXPECT_EQ(QString::fromUtf8(err).section(u'\n', 0, 0),
                  QStringLiteral("sitekanri-cli: 標準出力に書き込めませんでした: ディスクの空き容量が不足しています"));
    }
}

} // namespace
