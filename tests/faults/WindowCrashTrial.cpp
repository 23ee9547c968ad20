// The window killed (SIGKILL) at random moments while it registers, updates and deletes on a
// 3 000-record register with gaps: after every kill each record is whole, none is there twice, and
// none the window had finished with is lost; the next window opens and works (no lock-out), and
// killed writes leave no temporaries piling up.
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "TempRegister.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <set>

namespace {

constexpr int kRecords = 3000;

QByteArray UrlOf(const QByteArray &name) { return "http://" + name + ".example/"; }

SiteList Load(const QString &dir)
{
    RegisterFolder folder(QFile::encodeName(dir));
    EXPECT_TRUE(folder.open(false));
    SiteList sites;
    bool damaged = false;
    EXPECT_TRUE(RegisterFiles(folder).load(sites, damaged));
    EXPECT_FALSE(damaged);
    return sites;
}

// Names in the folder that are no register file: what killed writes left behind.
int Leftovers(const QString &dir)
{
    int count = 0;
    for (const QString &name : QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        count += name != QLatin1String("setting.ini") && name != QLatin1String("sitekanri.lock")
            && DataFileNumber(name) == 0;
    return count;
}

struct Counts
{
    int torn = 0, twice = 0, lost = 0, failed = 0, mostLeftovers = 0, operations = 0, cutShort = 0;
};

// The operation a kill cut short, as the window announced it.
struct Pending
{
    QByteArray kind, name;
    int number = 0;
};

TEST(WindowCrashTrial, killedWindowLeavesWholeRecordsNoneTwiceNoneLost)
{
    const int trials = qEnvironmentVariableIsSet("SITEKANRI_WINDOW_CRASH_TRIALS")
        ? qEnvironmentVariableIntValue("SITEKANRI_WINDOW_CRASH_TRIALS") : 50;
    // What a kill leaves is the kernel's view of the files, the same on any file system; a RAM
    // disk keeps the trial short.
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir dir(base + QStringLiteral("/sitekanri-window-crash-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    std::vector<SiteRecord> records;
    std::vector<int> gaps;
    for (int i = 1; i <= kRecords; ++i) {
        const QByteArray name = "r" + QByteArray::number(i);
        records.push_back(MakeRecord(name.constData(), UrlOf(name).constData()));
        if (i % 7 == 3)
            gaps.push_back(i);
    }
    WriteRegister(dir.path(), records, gaps);
    std::map<int, QByteArray> model; // number → name: what the register must hold
    const SiteList initial = Load(dir.path());
    for (std::size_t i = 0; i < initial.size(); ++i)
        model[initial.number(i)] = initial.at(i).m_name;

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    Counts counts;
    for (int trial = 0; trial < trials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial) + ", seed " + std::to_string(seed));
        QProcess window;
        window.start(QStringLiteral(WINDOW_OPERATOR), {dir.path(), QStringLiteral("w%1").arg(trial)});
        ASSERT_TRUE(window.waitForStarted(10000));
        QByteArray out;
        while (!out.contains("ready\n") && window.waitForReadyRead(20000))
            out += window.readAllStandardOutput();
        ASSERT_TRUE(out.contains("ready\n")) << "the window did not start: " << window.readAllStandardError().toStdString();
        QThread::usleep(random.bounded(60000));
        window.kill();
        window.waitForFinished();
        out += window.readAllStandardOutput();

        // The window's account of what it did: finished operations, and the one the kill cut short.
        Pending pending;
        for (const QByteArray &line : out.split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words[0] == "fail") {
                ADD_FAILURE() << line.toStdString();
                ++counts.failed;
            } else if (words[0] == "begin") {
                pending = {words[1], words.size() > 3 ? words[3] : words.size() > 2 && words[1] == "add" ? words[2] : QByteArray(),
                           words[1] == "add" ? 0 : words[2].toInt()};
            } else if (words[0] == "done" && !pending.kind.isEmpty()) {
                ++counts.operations;
                if (pending.kind == "add")
                    model[words[1].toInt()] = pending.name;
                else if (pending.kind == "update")
                    model[pending.number] = pending.name;
                else
                    model.erase(pending.number);
                pending = {};
            }
        }
        counts.cutShort += !pending.kind.isEmpty();

        const SiteList after = Load(dir.path());
        std::set<QByteArray> names;
        std::map<int, QByteArray> found;
        for (std::size_t i = 0; i < after.size(); ++i) {
            const SiteRecord &record = after.at(i);
            if (record.m_url != UrlOf(record.m_name)) {
                ADD_FAILURE() << "record " << after.number(i) << " is torn: " << record.m_name.toStdString();
                ++counts.torn;
            }
            if (!names.insert(record.m_name).second) {
                ADD_FAILURE() << record.m_name.toStdString() << " is there twice";
                ++counts.twice;
            }
            found[after.number(i)] = record.m_name;
        }
        // Each difference must be the cut-short operation, done whole.
        std::set<int> numbers;
        for (const auto &[number, name] : model)
            numbers.insert(number);
        for (const auto &[number, name] : found)
            numbers.insert(number);
        for (int number : numbers) {
            const auto want = model.find(number), have = found.find(number);
            if (want != model.end() && have != found.end() && want->second == have->second)
                continue;
            const bool explained = (pending.kind == "add" && want == model.end() && have->second == pending.name)
                || (pending.kind == "update" && number == pending.number && have != found.end() && have->second == pending.name)
                || (pending.kind == "delete" && number == pending.number && have == found.end());
            if (!explained) {
                ADD_FAILURE() << "record " << number << ": expected "
                              << (want == model.end() ? "none" : want->second.toStdString()) << ", found "
                              << (have == found.end() ? "none" : have->second.toStdString());
                ++counts.lost;
            }
        }
        model = found;
        counts.mostLeftovers = std::max(counts.mostLeftovers, Leftovers(dir.path()));
    }
    // Nobody holds the lock after the last kill: an operation that does not wait gets it.
    RegisterFolder folder(QFile::encodeName(dir.path()));
    ASSERT_TRUE(folder.open(false));
    EXPECT_TRUE(RegisterFiles(folder, 0).add(MakeRecord("after", "http://after.example/")).done());

    std::cout << "window crash trial: " << trials << " kills (seed " << seed << "), " << counts.operations
              << " operations finished, " << counts.cutShort << " cut short\n"
              << "  torn: " << counts.torn << ", twice: " << counts.twice << ", lost: " << counts.lost
              << ", failed: " << counts.failed << ", most leftovers after a kill: " << counts.mostLeftovers << "\n";
    EXPECT_LE(counts.mostLeftovers, 1) << "temporaries pile up";
    EXPECT_GT(counts.cutShort, trials / 4) << "too few kills landed during an operation";
}

} // namespace
