// The window killed (SIGKILL) at random moments while it registers, updates and deletes on a
// 3 000-record register with gaps: after every kill each record is whole, none is there twice, and
// none the window had finished with is lost; the next window opens and works (no lock-out), and
// killed writes leave no temporaries piling up.
#include "FaultSupport.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "TempRegister.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <set>

namespace {

using Names = std::map<int, QByteArray>; // record number → name

QByteArray UrlOf(const QByteArray &name) { return "http://" + name + ".example/"; }

// The register on disk; a record whose URL is not its name's is torn.
Names Load(const QString &dir, int &torn, int &twice)
{
    const SiteList sites = ReadRegister(dir);
    Names names;
    std::set<QByteArray> seen;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        torn += sites.at(i).m_url != UrlOf(sites.at(i).m_name);
        twice += !seen.insert(sites.at(i).m_name).second;
        names[sites.number(i)] = sites.at(i).m_name;
    }
    return names;
}

// Names in the folder that are no register file: what killed writes left behind.
int Leftovers(const QString &dir)
{
    int count = 0;
    for (const QString &name : QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        count += name != QLatin1String("setting.ini") && name != QLatin1String("sitekanri.lock") && !DataFileNumber(name);
    return count;
}

TEST(WindowCrashTrial, killedWindowLeavesWholeRecordsNoneTwiceNoneLost)
{
    const int trials = TrialCount("SITEKANRI_WINDOW_CRASH_TRIALS", 50);
    // What a kill leaves is the kernel's view of the files, the same on any file system; a RAM
    // disk keeps the trial short.
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir dir(base + QStringLiteral("/sitekanri-window-crash-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    std::vector<SiteRecord> records;
    std::vector<int> gaps;
    for (int i = 1; i <= 3000; ++i) {
        const QByteArray name = "r" + QByteArray::number(i);
        records.push_back(MakeRecord(name.constData(), UrlOf(name).constData()));
        if (i % 7 == 3)
            gaps.push_back(i);
    }
    WriteRegister(dir.path(), records, gaps);
    int torn = 0, twice = 0, lost = 0, failed = 0, finished = 0, cutShort = 0, mostLeftovers = 0;
    Names model = Load(dir.path(), torn, twice); // what the register must hold

    const quint32 seed = TrialSeed();
    QRandomGenerator random(seed);
    for (int trial = 0; trial < trials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial) + ", seed " + std::to_string(seed));
        QProcess window;
        window.start(QStringLiteral(WINDOW_OPERATOR), {dir.path(), QStringLiteral("w%1").arg(trial)});
        QByteArray out;
        while (!out.contains("ready\n") && window.waitForReadyRead(20000))
            out += window.readAllStandardOutput();
        ASSERT_TRUE(out.contains("ready\n")) << "the window did not start: " << window.readAllStandardError().toStdString();
        // The kill lands while the window works, however slowly this machine runs it.
        while (!out.contains("begin ") && window.waitForReadyRead(20000))
            out += window.readAllStandardOutput();
        QThread::usleep(random.bounded(60000));
        window.kill();
        window.waitForFinished();
        out += window.readAllStandardOutput();

        // The window's account: finished operations go into the model; the one the kill cut
        // short may be on disk whole, or not at all.
        for (const QByteArray &line : out.split('\n')) {
            if (line.startsWith("fail "))
                ADD_FAILURE() << line.toStdString(), ++failed;
        }
        const Replay replay = ReplayLog(model, out);
        finished += replay.finished;
        cutShort += !replay.pending.isEmpty();
        const Names found = Load(dir.path(), torn, twice);
        EXPECT_TRUE(ShowsReplay(replay, found)) << "not what the window left:" << Differences(replay.contents, found);
        lost += !ShowsReplay(replay, found);
        model = found;
        mostLeftovers = std::max(mostLeftovers, Leftovers(dir.path()));
    }
    // Nobody holds the lock after the last kill: an operation that does not wait gets it.
    RegisterFolder folder(QFile::encodeName(dir.path()));
    ASSERT_TRUE(folder.open(false));
    EXPECT_TRUE(RegisterFiles(folder, 0).add(MakeRecord("after", "http://after.example/")).done());

    std::cout << "window crash trial: " << trials << " kills (seed " << seed << "), " << finished
              << " operations finished, " << cutShort << " cut short; torn: " << torn << ", twice: " << twice
              << ", lost: " << lost << ", failed: " << failed << ", most leftovers after a kill: " << mostLeftovers << "\n";
    EXPECT_EQ(torn + twice, 0);
    EXPECT_LE(mostLeftovers, 1) << "temporaries pile up";
    // Every kill came after an operation had begun: it finished or was cut short.
    EXPECT_GE(finished + cutShort, trials);
}

} // namespace
