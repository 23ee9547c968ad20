#include "CrashRegister.h"
#include "FaultSupport.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <csignal>
#include <iostream>

// sitekanri-cli import of 1 000 bookmarks into a 3 000-record register, killed (SIGKILL) at random
// moments: after every kill each file is whole and the register is as it was before the import or
// holds the whole import after its records, in file order, never a part of it and no record twice.
// A killed import leaves files above the count; the next operation removes them: neither the next
// import nor a repair takes any of them in.
namespace {

using CrashRegister::Contents;

constexpr int kBookmarks = 1000;

QByteArray bookmarkTag(int i)
{
    return 'b' + QByteArray::number(i);
}

QByteArray bookmarkFile()
{
    QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><H3>取り込み</H3>\n<DL><p>\n";
    for (int i = 0; i < kBookmarks; ++i)
        html += "<DT><A HREF=\"http://import.example/" + QByteArray::number(i) + "\" TAGS=\"タグ" + QByteArray::number(i % 7)
            + "\">" + bookmarkTag(i) + "</A>\n<DD>ブックマーク " + QByteArray::number(i) + " の説明\n";
    return html + "</DL><p>\n</DL><p>\n";
}

void copyFolder(const QString &from, const QString &to)
{
    QDir(to).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(to));
    for (const QString &name : QDir(from).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)));
}

// Data files on disk above the count: what an import killed while writing leaves behind.
int filesAboveCount(const QString &directory, int count)
{
    int above = 0;
    for (const QString &name : QDir(directory).entryList(QDir::Files))
        above += DataFileNumber(name) > count;
    return above;
}

TEST(ImportKillTrial, aKilledImportLeavesTheRegisterAsBeforeOrWithAllOfIt)
{
    ASSERT_FALSE(CliPath().isEmpty()) << "the trial needs sitekanri-cli in the build";
    const int kills = TrialCount("SITEKANRI_IMPORT_KILLS", 20);
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString start = QDir(root.path()).filePath(QStringLiteral("start"));
    const QString folder = QDir(root.path()).filePath(QStringLiteral("register"));
    const QString bookmarks = QDir(root.path()).filePath(QStringLiteral("bookmarks.html"));
    ASSERT_TRUE(QDir().mkpath(start));
    const Contents before = CrashRegister::WriteStart(start);
    Contents after = before;
    const int last = before.rbegin()->first;
    for (int i = 0; i < kBookmarks; ++i)
        after[last + 1 + i] = bookmarkTag(i);
    QFile html(bookmarks);
    ASSERT_TRUE(html.open(QIODevice::WriteOnly) && html.write(bookmarkFile()) > 0);
    html.close();

    const auto import = [&](QProcess &cli) {
        cli.start(CliPath(), {QStringLiteral("--dir"), folder, QStringLiteral("import"), bookmarks});
        return cli.waitForStarted(10000);
    };
    // How long a whole import takes here: the kills are spread over that.
    copyFolder(start, folder);
    QElapsedTimer timer;
    timer.start();
    QProcess whole;
    ASSERT_TRUE(import(whole) && whole.waitForFinished(120000));
    ASSERT_EQ(whole.exitCode(), 0) << whole.readAllStandardError().toStdString();
    const qint64 duration = timer.elapsed();
    ASSERT_EQ(LoadTags(folder), after);

    const quint32 seed = TrialSeed();
    QRandomGenerator random(seed);
    const QString journal = QDir(folder).filePath(QStringLiteral("sitekanri-adding.txt"));
    int killed = 0, asBefore = 0, complete = 0, midWrite = 0;
    bool restart = true;
    for (int trial = 0; killed < kills && trial < 3 * kills; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial) + ", seed " + std::to_string(seed));
        if (restart)
            copyFolder(start, folder);
        QProcess cli;
        ASSERT_TRUE(import(cli));
        // Every other kill is aimed at the files being written: once the batch has named its
        // numbers, within half the time a whole import takes. The others fall anywhere.
        if (trial % 2 == 1) {
            QElapsedTimer waited;
            waited.start();
            while (!QFile::exists(journal) && cli.state() == QProcess::Running && waited.elapsed() < 2 * duration)
                ::usleep(200);
        }
        ::usleep(useconds_t(random.bounded(quint32(duration * (trial % 2 == 1 ? 500 : 1000)))));
        ::kill(pid_t(cli.processId()), SIGKILL);
        cli.waitForFinished();
        killed += cli.exitStatus() == QProcess::CrashExit;

        const QString complaints = CrashRegister::CheckFiles(folder);
        EXPECT_TRUE(complaints.isEmpty()) << complaints.toStdString();
        const Contents shown = LoadTags(folder);
        EXPECT_TRUE(shown == before || shown == after)
            << shown.size() - before.size() << " records of the import are in the register";
        asBefore += shown == before;
        complete += shown == after;
        const bool leftFiles = shown == before && filesAboveCount(folder, last) > 0;
        midWrite += leftFiles;
        // A repair counts every data file there is: it must find none of a killed import's.
        const ProgramRun repair = RunProgram(CliPath(), {QStringLiteral("--dir"), folder, QStringLiteral("repair")});
        EXPECT_EQ(repair.exitCode, 0) << repair.err.toStdString();
        const Contents repaired = LoadTags(folder);
        EXPECT_EQ(repaired, shown) << repaired.size() - shown.size() << " records taken in by the repair";
        if (leftFiles) {
            EXPECT_EQ(filesAboveCount(folder, last), 0);
        }
        restart = shown != before;
    }
    std::cout << "import kill trial: " << killed << " kills of an import of " << kBookmarks << " bookmarks into "
              << before.size() << " records (a whole import takes " << duration << " ms, seed " << seed
              << "): register as before " << asBefore << " (killed while writing its files " << midWrite
              << "), import complete " << complete << "\n";
    // Where the kills land depends on how fast this machine runs: the counts above are told, not
    // asserted. Every kill is accounted for.
    EXPECT_EQ(killed, kills);
}

} // namespace
