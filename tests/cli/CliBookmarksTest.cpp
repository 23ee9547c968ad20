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

// Export to a file (the same bytes as on stdout), then import of that file on standard input into
// an empty register, gives the same register back: HTML in names, commas and gaps in keywords,
// characters only CP932 has.
TEST(CliExport, importOfTheExportKeepsEveryRecord)
{
    TempRegister from;
    AddRecords(from.path(), {MakeRecord("<b>太字</b> & \"引用\"", "http://example.jp/?a=1&b=<2>", "甲,乙", "", "丙"),
                             MakeRecord("①ⅰ～ｶﾅ", "https://例え.jp/パス", "", "二番目", "", "説明 <i>斜体</i> &amp;"),
                             MakeRecord("同じ名前", "http://a/", "k", "k", "k", "  前後の空白  ")});
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
    EXPECT_EQ(runCli(to.path(), {QStringLiteral("list")}).out, runCli(from.path(), {QStringLiteral("list")}).out);
}

} // namespace
