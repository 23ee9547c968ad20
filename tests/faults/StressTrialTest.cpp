// The register under every kind of writer at once, for a minute (SITEKANRI_STRESS_SECONDS): the
// window open on it, four sitekanri-cli loops adding, updating and deleting, hand edits (sed -i,
// and a file written beside and renamed in), and sitekanri.lock replaced by rename over and over.
// Afterwards: no record lost or twice, no torn file, every reported success on disk, every failure
// without effect, no hand edit undone, and the window's list equal to the disk.
#include "FaultSupport.h"
#include "IniDocument.h"
#include "RegisterFiles.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <climits>
#include <iostream>
#include <map>
#include <memory>
#include <set>

namespace {

constexpr int kBase = 2000;

QByteArray fileOf(const SiteRecord &record)
{
    IniDocument file;
    record.WriteTo(file);
    return file.serialize();
}

// Records 1 … kBase, every seventh missing, named "base-N".
void writeStart(const TempRegister &reg)
{
    for (int number = 1; number <= kBase; ++number) {
        if (number % 7 != 0)
            reg.write(DataFileName(number), fileOf(MakeRecord(("base-" + std::to_string(number)).c_str(), "http://base/")));
    }
    reg.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=" + QByteArray::number(kBase) + "\r\n");
}

// The register as "number<TAB>fields in hex" lines, as the window operator prints its list.
QByteArray listing(const SiteList &sites)
{
    QByteArray out;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const SiteRecord &r = sites.at(i);
        out += QByteArray::number(sites.number(i)) + '\t'
            + (r.m_name + '|' + r.m_url + '|' + r.m_keyword1 + '|' + r.m_keyword2 + '|' + r.m_keyword3 + '|' + r.m_content).toHex()
            + '\n';
    }
    return out;
}

QProcess *startLoop(std::vector<std::unique_ptr<QProcess>> &loops, const QStringList &arguments)
{
    loops.push_back(std::make_unique<QProcess>());
    loops.back()->start(QStringLiteral("bash"), QStringList{QStringLiteral(STRESS_LOOPS)} + arguments);
    return loops.back().get();
}

TEST(StressTrial, everyWriterAtOnceLosesNothing)
{
    if (CliPath().isEmpty())
        GTEST_SKIP() << "sitekanri-cli is not part of this build";
    const int seconds = TrialCount("SITEKANRI_STRESS_SECONDS", 60);
    const quint32 seed = qEnvironmentVariableIsSet("SITEKANRI_TRIAL_SEED")
        ? quint32(qEnvironmentVariableIntValue("SITEKANRI_TRIAL_SEED")) : QRandomGenerator::global()->generate() % 30000;
    std::cout << "stress trial: " << seconds << " s, SITEKANRI_TRIAL_SEED=" << seed << std::endl;
    TempRegister reg;
    writeStart(reg);

    QProcess window;
    window.start(QStringLiteral(WINDOW_OPERATOR), {reg.path(), QStringLiteral("watch")});
    ASSERT_TRUE(window.waitForReadyRead(60000));
    ASSERT_EQ(window.readLine().trimmed(), "ready") << window.readAllStandardError().toStdString();

    std::vector<std::unique_ptr<QProcess>> loops;
    const QString time = QString::number(seconds);
    for (int k = 0; k < 4; ++k)
        startLoop(loops, {QStringLiteral("cli"), reg.path(), CliPath(), QStringLiteral("L%1").arg(k), time,
                          QString::number((seed + quint32(k)) % 32768)});
    QProcess *hand = startLoop(loops, {QStringLiteral("hand"), reg.path(), time, QString::number(seed % 32768),
                                       QString::number(kBase)});
    startLoop(loops, {QStringLiteral("lock"), reg.path(), time});
    for (const auto &loop : loops)
        ASSERT_TRUE(loop->waitForFinished((seconds + 120) * 1000)) << "a writer did not stop";

    // What each loop reported, replayed loop by loop (a number one loop freed another may take):
    // the records that must be on disk, by name, with their number and content.
    std::map<QByteArray, std::pair<int, QByteArray>> live;
    std::set<QByteArray> failedAdds;
    int operations = 0, failures = 0;
    for (int k = 0; k < 4; ++k) {
        std::map<int, QByteArray> own; // this loop's records by number
        for (const QByteArray &line : loops[std::size_t(k)]->readAllStandardOutput().split('\n')) {
            const QList<QByteArray> w = line.split(' ');
            if (w.size() != 3)
                continue;
            ++operations;
            const int number = w[1].toInt();
            if (w[0] == "add")
                own[number] = w[2], live[w[2]] = {number, QByteArray()};
            else if (w[0] == "update")
                live[own[number]].second = w[2];
            else if (w[0] == "delete")
                live.erase(own[number]), own.erase(number);
            else if (w[0] == "addfail")
                failedAdds.insert(w[2]), ++failures;
            else
                ++failures;
        }
    }
    std::map<int, int> xs, ys; // hand edits by record
    int edits = 0;
    for (const QByteArray &line : hand->readAllStandardOutput().split('\n')) {
        const QList<QByteArray> w = line.split(' ');
        if (w.size() == 2)
            ++(w[0] == "x" ? xs : ys)[w[1].toInt()], ++edits;
    }
    std::cout << "operations " << operations << " (" << failures << " refused or failed), hand edits " << edits << std::endl;

    const QString torn = CrashRegister::CheckFiles(reg.path(), INT_MAX);
    EXPECT_TRUE(torn.isEmpty()) << torn.toStdString();
    const SiteList disk = ReadRegister(reg.path());
    std::map<QByteArray, int> seen;
    int lost = 0, wrong = 0, reverted = 0;
    for (std::size_t i = 0; i < disk.size(); ++i) {
        const SiteRecord &r = disk.at(i);
        ++seen[r.m_name];
        const int number = disk.number(i);
        if (r.m_name.startsWith("base-")) {
            reverted += (r.m_keyword3.size() != xs[number]) + (r.m_keyword2.size() != ys[number]);
        } else if (!live.count(r.m_name) || live[r.m_name] != std::pair(number, r.m_content)) {
            ++wrong;
            std::cout << "not as reported: " << number << ' ' << r.m_name.toStdString() << ' ' << r.m_content.toStdString() << "\n";
        }
        EXPECT_FALSE(failedAdds.count(r.m_name)) << "a failed add is on disk: " << r.m_name.toStdString();
    }
    for (int number = 1; number <= kBase; ++number)
        lost += number % 7 != 0 && !seen.count("base-" + QByteArray::number(number));
    for (const auto &[name, record] : live)
        lost += !seen.count(name);
    const int twice = int(std::count_if(seen.begin(), seen.end(), [](const auto &s) { return s.second > 1; }));
    std::cout << "lost " << lost << ", twice " << twice << ", not as reported " << wrong << ", hand edits undone "
              << reverted << std::endl;
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(twice, 0);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(reverted, 0);

    // The window's list, once it has taken in the last changes.
    const QByteArray expected = listing(disk);
    QByteArray shown;
    for (int attempt = 0; attempt < 20 && shown != expected; ++attempt) {
        QThread::msleep(500);
        window.write("dump\n");
        shown.clear();
        while (!shown.endsWith("end\n") && window.waitForReadyRead(30000))
            shown += window.readAll();
        shown.chop(4);
    }
    EXPECT_TRUE(shown == expected) << "the window's list differs from the disk";
    window.closeWriteChannel();
    if (!window.waitForFinished(10000))
        window.kill();
}

} // namespace
