// sitekanri-cli export, then import of what it wrote, run as the real program.
#include "TempRegister.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

ProgramRun runCli(const QString &dir, const QStringList &arguments)
{
    return RunProgram(QStringLiteral(SITEKANRI_CLI_PATH), QStringList{QStringLiteral("--dir"), dir} + arguments);
}

QStringList sortedLines(const QByteArray &out)
{
    QStringList lines = QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

// A browser's file imported, then exported to a file (the same bytes as on stdout), then that file
// imported on standard input into an empty register: the same sites (grouped by first keyword,
// so perhaps in another order).
TEST(CliExport, importOfTheExportKeepsEveryRecord)
{
    TempRegister from;
    const ProgramRun browser =
        runCli(from.path(), {QStringLiteral("import"), QStringLiteral(SITEKANRI_BOOKMARK_FILES "/firefox.html")});
    ASSERT_EQ(browser.exitCode, 0) << browser.err.toStdString();
    TempRegister to;
    const QString file = to.path() + QStringLiteral("/out.html");

    const ProgramRun exported = runCli(from.path(), {QStringLiteral("export"), file});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), runCli(from.path(), {QStringLiteral("export")}).out);

    QProcess import;
    import.setStandardInputFile(file);
    import.start(QStringLiteral(SITEKANRI_CLI_PATH), {QStringLiteral("--dir"), to.path(), QStringLiteral("import"),
                                                      QStringLiteral("-")});
    ASSERT_TRUE(import.waitForFinished(60000));
    EXPECT_EQ(import.exitCode(), 0) << import.readAllStandardError().toStdString();
    const QStringList sites = sortedLines(runCli(from.path(), {QStringLiteral("list")}).out);
    EXPECT_FALSE(sites.isEmpty());
    EXPECT_EQ(sortedLines(runCli(to.path(), {QStringLiteral("list")}).out), sites);
}

} // namespace
