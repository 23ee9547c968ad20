// sitekanri-cli run as the real program where a session of sessions.txt cannot say it: a folder
// name that is no UTF-8, output to a full disk.
#include "TempRegister.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Names that are no UTF-8 are used byte for byte: a --dir given, and the folder of a portable
// install, whose register beside the program is the one used (not another folder whose name
// holds replacement characters). The shell makes and passes the names, which Qt would read as UTF-8.
TEST(CliPaths, namesThatAreNoUtf8AreTakenAsGiven)
{
    QTemporaryDir root;
    const ProgramRun run = RunProgram(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral(R"sh(
        folder="$1/$(printf 'portable\377')" && mkdir "$folder" && cp "$2" "$folder/sitekanri-cli" &&
        printf '[SETTING]\r\nDATA_CNT=1\r\n' >"$folder/setting.ini" && printf '[DATA]\r\nNAME=beside\r\nURL=u\r\n' >"$folder/data1.ini" &&
        "$folder/sitekanri-cli" list && "$2" --dir "$folder/$(printf 'reg\376')" add --name n --url u >/dev/null &&
        test -f "$folder/$(printf 'reg\376')/data1.ini"; status=$?; rm -rf "$folder"; exit $status)sh"),
        QStringLiteral("sh"), root.path(), QStringLiteral(SITEKANRI_CLI_PATH)});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString() << " (the record went to another folder, if nothing is said)";
    EXPECT_TRUE(run.out.startsWith("beside\t")) << "the register beside the program was not read";
}

// Output that cannot be written (here a full disk) is a failure, never exit 0 with a cut-off text.
TEST(CliList, unwritableOutputFails)
{
    TempRegister reg;
    AddRecords(reg.path(), {MakeRecord("first", "http://first/")});
    for (const char *command : {"list", "keywords", "links"}) {
        const ProgramRun run = RunProgram(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("\"$0\" --dir \"$1\" $2 >/dev/full"),
                                                                      QStringLiteral(SITEKANRI_CLI_PATH), reg.path(), QString::fromLatin1(command)});
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_EQ(QString::fromUtf8(run.err).section(u'\n', 0, 0),
                  QStringLiteral("sitekanri-cli: 標準出力に書き込めませんでした: ディスクの空き容量が不足しています"));
    }
}

} // namespace
