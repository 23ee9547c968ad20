#include "FaultSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <climits>
#include <csignal>
#include <iostream>
#include <limits>

// sitekanri-cli import of 1 000 bookmarks into a register with gaps, killed (SIGKILL) at random
// moments: after every kill each file is whole and the register is as it was before the import or
// holds the whole import after its records, in file order, never a part of it and no record twice.
// A killed import may leave files above the count; the next operation removes those its note names:
// neither the next import nor a repair takes any of them in.
namespace {

constexpr int kBookmarks = 1000;

QByteArray bookmarkFile()
{
    QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><H3>取り込み</H3>\n<DL><p>\n";
    for (int i = 0; i < kBookmarks; ++i)
        html += "<DT><A HREF=\"http://import.example/" + QByteArray::number(i) + "\" TAGS=\"タグ" + QByteArray::number(i % 7)
            + "\">b" + QByteArray::number(i) + "</A>\n<DD>ブックマーク " + QByteArray::number(i) + " の説明\n";
    return html + "</DL><p>\n</DL><p>\n";
}

// Data files on disk above the count: what an import killed while writing leaves behind.
int filesAboveCount(const QString &directory, int count)
{
    const QStringList names = QDir(directory).entryList(QDir::Files);
    return int(std::count_if(names.begin(), names.end(), [&](const QString &name) { return DataFileNumber(name) > count; }));
}

TEST(ImportKillTrial, aKilledImportLeavesTheRegisterAsBeforeOrWithAllOfIt)
{
    const int kills = TrialCount("SITEKANRI_IMPORT_KILLS", 8);
    QTemporaryDir root(TrialFolderBase() + QStringLiteral("/sitekanri-import-XXXXXX"));
    ASSERT_TRUE(root.isValid());
    const QString start = root.filePath(QStringLiteral("start")), folder = root.filePath(QStringLiteral("register"));
    ASSERT_TRUE(QDir().mkpath(start));
    const Contents before = WriteCrashRegister(start);
    Contents after = before;
    const int last = before.rbegin()->first;
    for (int i = 0; i < kBookmarks; ++i)
        after[last + 1 + i] = 'b' + QByteArray::number(i);
    const QString html = root.filePath(QStringLiteral("bookmarks.html"));
    WriteFile(html, bookmarkFile());
    const auto restart = [&] {
        QDir(folder).removeRecursively();
        QDir(QFile::decodeName(qgetenv("XDG_STATE_HOME")) + QStringLiteral("/sitekanri")).removeRecursively();
        ASSERT_EQ(RunProgram(QStringLiteral("cp"), {QStringLiteral("-r"), start, folder}).exitCode, 0);
    };
    const QStringList import{QStringLiteral("--dir"), folder, QStringLiteral("import"), html};

    // How long a whole import takes here, at the quickest of three (one slowed by a busy moment
    // would spread the kills past the end of most imports): the kills are spread over that.
    qint64 duration = std::numeric_limits<qint64>::max();
    for (int round = 0; round < 3; ++round) {
        restart();
        QElapsedTimer timer;
        timer.start();
        const ProgramRun whole = RunProgram(CliPath(), import);
        duration = std::min(duration, timer.elapsed());
        ASSERT_EQ(whole.exitCode, 0) << whole.err.toStdString();
        ASSERT_EQ(LoadTags(folder), after);
    }

    const quint32 seed = TrialSeed();
    QRandomGenerator random(seed);
    // The note a batch keeps, outside the folder, from its first claimed name until its count.
    const QDir notes(QFile::decodeName(qgetenv("XDG_STATE_HOME")) + QStringLiteral("/sitekanri"));
    int killed = 0, asBefore = 0, midWrite = 0;
    bool fresh = false; // a register left as before meets the next import with what the kill left
    // A busy machine measures a whole import slower than the trials then run: an import that ends
    // before its kill shortens the wait of the next, so that the kills keep landing inside one.
    for (int trial = 0; killed < kills && trial < 10 * kills && !HasFatalFailure(); ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial) + ", seed " + std::to_string(seed));
        if (!fresh)
            restart();
        QProcess cli;
        cli.start(CliPath(), import);
        ASSERT_TRUE(cli.waitForStarted(10000));
        // Every other kill is aimed at the files taking their names: once the batch has noted
        // them, within half the time a whole import takes. The others fall anywhere.
        const bool aimed = trial % 2 == 1;
        while (aimed && notes.entryList({QStringLiteral("batch-*")}, QDir::Files).isEmpty() && !cli.waitForFinished(1)) {
        }
        ::usleep(useconds_t(random.bounded(quint32(duration * (aimed ? 500 : 1000)))));
        cli.kill();
        cli.waitForFinished();
        killed += cli.exitStatus() == QProcess::CrashExit;
        if (cli.exitStatus() != QProcess::CrashExit)
            duration = std::max<qint64>(2, duration * 9 / 10);
        const int leftAbove = filesAboveCount(folder, last); // before a load sweeps them

        const QString complaints = CheckFiles(folder, INT_MAX);
        EXPECT_TRUE(complaints.isEmpty()) << complaints.toStdString();
        const Contents shown = LoadTags(folder);
        // The batch's temporaries are the next load's to remove.
        const QString afterLoad = CheckFiles(folder, 0);
        EXPECT_TRUE(afterLoad.isEmpty()) << afterLoad.toStdString();
        EXPECT_TRUE(shown == before || shown == after) << shown.size() - before.size() << " records of the import are in";
        asBefore += shown == before;
        midWrite += shown == before && leftAbove > 0;
        // A repair counts every data file there is: it must find none of a killed import's.
        const ProgramRun repair = RunCli(folder, {QStringLiteral("repair")});
        EXPECT_EQ(repair.exitCode, 0) << repair.err.toStdString();
        EXPECT_EQ(LoadTags(folder), shown) << "records taken in by the repair";
        EXPECT_EQ(filesAboveCount(folder, shown == before ? last : last + kBookmarks), 0);
        fresh = shown == before;
    }
    // Where the kills land depends on how fast this machine runs: the counts are told, not asserted.
    std::cout << killed << " kills of an import of " << kBookmarks << " bookmarks into " << before.size()
              << " records (a whole import takes " << duration << " ms, seed " << seed << "): killed while writing its files "
              << midWrite << ", register as before " << asBefore << ", import complete "
              << killed - asBefore << "\n";
    EXPECT_EQ(killed, kills);
}

} // namespace
