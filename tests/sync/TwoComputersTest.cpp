// One register kept on two computers by Syncthing: both change it while they are apart, then they
// meet. However the changes race, once everything has settled both computers hold the same records,
// each record made on either side exactly once, no conflict copy, and no data file above the count;
// windows open on both computers take in what the meeting set aside, both at once, on their own.
#include "ConflictCopyName.h"
#include "RegisterFiles.h"
#include "SyncthingPair.h"
#include "TempRegister.h"
#include "UndoHistory.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr int kSettleMs = 30000;

// The two computers and the names of the records that must be there in the end.
struct TwoComputers
{
    ProgramRun cli(int side, const QStringList &arguments) const
    {
        return RunProgram(QStringLiteral(SITEKANRI_CLI), QStringList{QStringLiteral("--dir"), pair.folder(side)} + arguments);
    }
    void run(int side, const QStringList &arguments) const
    {
        const ProgramRun run = cli(side, arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    }
    void add(int side, const QString &name)
    {
        run(side, {QStringLiteral("add"), QStringLiteral("--name"), name, QStringLiteral("--url"),
                   QStringLiteral("http://example.jp/") + QString::number(expected.size())});
        expected << name;
    }
    void rename(int side, const QString &was, const QString &name)
    {
        run(side, {QStringLiteral("update"), numberOf(side, was), QStringLiteral("--name"), name});
        expected.removeAll(was);
        expected << name;
    }
    void remove(int side, const QString &name) const { run(side, {QStringLiteral("delete"), numberOf(side, name)}); }
    QString numberOf(int side, const QString &name) const
    {
        for (const QString &line : QString::fromUtf8(cli(side, {QStringLiteral("list"), QStringLiteral("--ids")}).out).split(u'\n')) {
            if (line.section(u'\t', 1, 1) == name)
                return line.section(u'\t', 0, 0);
        }
        ADD_FAILURE() << "no record " << name.toStdString() << " on computer " << side + 1;
        return {};
    }

    // Changes made on both computers while the link (or the folder) is paused; then the two meet
    // and settle.
    void apart(const std::function<void()> &changes, bool folderPaused = false)
    {
        ASSERT_EQ(folderPaused ? pair.folderUp(false) : pair.link(false), QString());
        changes();
        ASSERT_EQ(folderPaused ? pair.folderUp(true) : pair.link(true), QString());
        settle();
    }
    void settle() { ASSERT_EQ(pair.settle(kSettleMs), QString()); }

    // What each computer lists, the same on both, each record made anywhere once; nothing set aside.
    void expectOneRegister() const
    {
        const QByteArray one = cli(0, {QStringLiteral("list"), QStringLiteral("--ids")}).out;
        EXPECT_EQ(one, cli(1, {QStringLiteral("list"), QStringLiteral("--ids")}).out);
        QStringList names;
        for (const QString &line : QString::fromUtf8(one).split(u'\n', Qt::SkipEmptyParts))
            names << line.section(u'\t', 1, 1);
        QStringList wanted = expected;
        names.sort();
        wanted.sort();
        EXPECT_EQ(names.join(u' ').toStdString(), wanted.join(u' ').toStdString());
        for (int side = 0; side < 2; ++side) {
            const Reading<RegisterCount> read = FolderFiles(pair.folder(side)).files.count();
            EXPECT_TRUE(read && !read.value.damaged);
            const int count = read.value.count;
            for (const QString &name : QDir(pair.folder(side)).entryList(QDir::Files | QDir::Hidden)) {
                const ConflictCopyName copy = ConflictCopyName::parse(name);
                EXPECT_FALSE(copy.isCopy() && (DataFileNumber(copy.original) || copy.original == QLatin1String("setting.ini")))
                    << "left on computer " << side + 1 << ": " << name.toStdString();
                EXPECT_LE(DataFileNumber(name), count) << "above the count on computer " << side + 1 << ": " << name.toStdString();
            }
        }
    }

    SyncthingPair pair;
    QStringList expected;
};

TEST(TwoComputers, changesMadeApartSettleToEachRecordOnce_openWindowsTakeInTheCopies)
{
    if (SyncthingPair::program().isEmpty())
        GTEST_SKIP() << "syncthing is not installed (scripts/setup.sh installs it)";
    TwoComputers two;
    ASSERT_EQ(two.pair.start(), QString());
    for (const char *name : {"一", "二", "三", "四"})
        two.add(0, QString::fromUtf8(name));
    two.settle();

    // Each round ends with the next write on one computer, which takes in what was set aside. The
    // third has both edit one site; the fourth keeps the edit: what one computer changed was still
    // wanted there.
    const std::pair<std::function<void()>, int> rounds[] = {
        {[&] { two.add(0, QStringLiteral("A1")), two.add(1, QStringLiteral("B1")); }, 1},
        {[&] { two.add(0, QStringLiteral("A2")), two.add(0, QStringLiteral("A3")), two.add(1, QStringLiteral("B2")); }, 0},
        {[&] { two.rename(0, QStringLiteral("二"), QStringLiteral("二A")), two.rename(1, QStringLiteral("二"), QStringLiteral("二B")); }, 1},
        {[&] { two.remove(0, QStringLiteral("三")), two.rename(1, QStringLiteral("三"), QStringLiteral("三B")); }, 0},
    };
    int round = 0;
    for (const auto &[changes, writer] : rounds) {
        two.apart(changes);
        two.add(writer, QStringLiteral("later%1").arg(++round));
        two.settle();
        two.expectOneRegister();
    }

    // With a window open on each computer, nobody writes after the meeting: the windows take in
    // the copies, both at once; three meetings.
    QProcess windows[2];
    for (int side = 0; side < 2; ++side) {
        const QString home = two.pair.dataHome(side);
        windows[side].start(QStringLiteral("env"), {QStringLiteral("XDG_DATA_HOME=") + home, QStringLiteral("XDG_CONFIG_HOME=") + home + QStringLiteral("/config"),
                                                    QStringLiteral(SITEKANRI_APP)});
        ASSERT_TRUE(windows[side].waitForStarted(10000));
    }
    for (int meeting = 0; meeting < 3; ++meeting) {
        const QString n = QString::number(meeting);
        two.apart([&] {
            two.add(0, QStringLiteral("A4-") + n), two.add(0, QStringLiteral("A5-") + n), two.add(1, QStringLiteral("B4-") + n);
            const QString first = two.expected.first();
            two.rename(0, first, first + QStringLiteral("A")), two.rename(1, first, first + QStringLiteral("B"));
        });
        two.expectOneRegister();
    }
    for (QProcess &window : windows) {
        EXPECT_EQ(window.state(), QProcess::Running) << "a window ended: " << window.readAllStandardError().toStdString();
        window.terminate();
        window.waitForFinished(5000);
    }
}

// The site with the highest number deleted on one computer while the other edits it, apart by a
// paused link three times and by a paused folder three times: the edit comes back within the
// count (a delete never lowers it), and the next add goes above it.
TEST(TwoComputers, theHighestSiteDeletedHereAndEditedThereComesBackEdited)
{
    if (SyncthingPair::program().isEmpty())
        GTEST_SKIP() << "syncthing is not installed (scripts/setup.sh installs it)";
    TwoComputers two;
    ASSERT_EQ(two.pair.start(), QString());
    two.add(0, QStringLiteral("一"));
    for (int round = 0; round < 6; ++round) {
        const QString site = QStringLiteral("高%1").arg(round);
        two.add(0, site);
        two.settle();
        two.apart([&] { two.remove(0, site), two.rename(1, site, site + QStringLiteral("B")); }, round >= 3);
        two.add(round % 2, QStringLiteral("後%1").arg(round));
        two.settle();
        two.expectOneRegister();
    }
}

// A window deletes the highest site while the other computer edits it; after the meeting the
// window's undo brings its version back beside the edit, under a new number: both are kept.
TEST(TwoComputers, aWindowsDeleteUndoneAfterTheMeetingKeepsTheOtherComputersEdit)
{
    if (SyncthingPair::program().isEmpty())
        GTEST_SKIP() << "syncthing is not installed (scripts/setup.sh installs it)";
    TwoComputers two;
    ASSERT_EQ(two.pair.start(), QString());
    two.add(0, QStringLiteral("一"));
    for (int round = 0; round < 3; ++round) {
        const QString site = QStringLiteral("窓%1").arg(round);
        two.add(0, site);
        two.settle();
        SiteRegister window(QFile::encodeName(two.pair.folder(0)));
        ASSERT_TRUE(window.open());
        window.watch();
        UndoHistory history(window);
        const int number = two.numberOf(0, site).toInt();
        two.apart([&] {
            ASSERT_TRUE(history.remove(number).done());
            two.rename(1, site, site + QStringLiteral("B"));
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.sites().positionOf(number) >= 0; }, 10000)) << "the edit did not come back";
        ASSERT_TRUE(history.undo().done());
        two.expected << site;
        two.settle();
        two.expectOneRegister();
    }
}

} // namespace
