// sitekanri-cli import and export, run as the real program on the hand-made bookmark files of
// the bookmarks tests: what the import planned is what the register holds afterwards.
#include "CaseName.h"
#include "TempRegister.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

const QString kFiles = QStringLiteral(SITEKANRI_BOOKMARK_FILES "/");

ProgramRun runCli(const QString &dir, const QStringList &arguments)
{
    return RunProgram(QStringLiteral(SITEKANRI_CLI_PATH), QStringList{QStringLiteral("--dir"), dir} + arguments);
}

// A bookmark file's .expected listing as the CLI prints it: its records as `list` lines, its
// summary as the import's output, its error as the message.
struct Listing
{
    QByteArray records;
    QByteArray summary;
    QByteArray error;
};

Listing expectedListing(const QString &stem)
{
    QFile file(kFiles + stem + QStringLiteral(".expected"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << stem.toStdString();
    Listing listing;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("record ["))
            listing.records += line.mid(8).chopped(1).replace("] [", "\t") + '\n';
        else if (line.startsWith("summary "))
            listing.summary += line.mid(8) + '\n';
        else if (line.startsWith("error "))
            listing.error = line.mid(6);
    }
    return listing;
}

// The first import adds the planned records after those already there, in file order, and prints
// the summary; the same file again adds nothing, counts every link as already there and writes
// nothing at all.
TEST(CliImport, addsThePlannedRecordsOnce)
{
    TempRegister reg;
    AddRecords(reg.path(), {MakeRecord("既存", "http://example.jp/")});
    const Listing expected = expectedListing(QStringLiteral("firefox"));
    const QStringList import{QStringLiteral("import"), kFiles + QStringLiteral("firefox.html")};

    const ProgramRun first = runCli(reg.path(), import);
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.out, expected.summary);
    EXPECT_EQ(runCli(reg.path(), {QStringLiteral("list")}).out,
              QByteArray("既存\thttp://example.jp/\t\t\t\t\n") + expected.records);

    const Snapshot before = TakeSnapshot(reg.path());
    const ProgramRun second = runCli(reg.path(), import);
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(second.out.startsWith("追加: 0 件\n登録済み: 4 件\n")) << second.out.toStdString();
    EXPECT_EQ(TakeSnapshot(reg.path()), before);
}

struct Unreadable
{
    const char *name;
    const char *stem; // a file of the bookmarks tests; its .expected holds the message
};

void PrintTo(const Unreadable &c, std::ostream *out) { *out << c.name; }

class CliImportUnreadable : public ::testing::TestWithParam<Unreadable>
{
};

// A file that is no bookmark file, or is broken part-way, imports nothing (not even the links
// before the fault) and ends with exit 1 and the file's name and message.
TEST_P(CliImportUnreadable, importsNothing)
{
    TempRegister reg;
    AddRecords(reg.path(), {MakeRecord("既存", "http://example.jp/")});
    const Snapshot before = TakeSnapshot(reg.path());
    const QString file = kFiles + QString::fromLatin1(GetParam().stem) + QStringLiteral(".html");
    const QByteArray error = expectedListing(QString::fromLatin1(GetParam().stem)).error;
    ASSERT_FALSE(error.isEmpty());

    const ProgramRun run = runCli(reg.path(), {QStringLiteral("import"), file});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err, "sitekanri-cli: " + file.toUtf8() + ": " + error + '\n');
    EXPECT_EQ(TakeSnapshot(reg.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliImportUnreadable,
                         ::testing::Values(Unreadable{"not a bookmark file", "not-html"},
                                           Unreadable{"cut off inside a tag", "cut-mid-tag"},
                                           Unreadable{"NUL byte after two links", "nul"}),
                         CaseName());

// Export to a file, then import of that file on standard input into an empty register, gives the
// same register back: HTML in names, commas and gaps in keywords, characters only CP932 has.
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
    EXPECT_TRUE(exported.out.isEmpty());
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
