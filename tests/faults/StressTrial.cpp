// The register under every kind of writer at once, for five seconds (SITEKANRI_STRESS_SECONDS): the
// window open on it, four sitekanri-cli loops adding, updating and deleting, hand edits (sed -i,
// and a file written beside and renamed in), and sitekanri.lock replaced by rename over and over.
// Afterwards: no record lost or twice, no torn file, every reported success on disk, every failure
// without effect, no hand edit undone, and the window's list equal to the disk.
#include "FaultSupport.h"

#include <QProcess>
#include <QTest>

#include <climits>
#include <iostream>
#include <map>

namespace {

constexpr int kBase = 2000;

TEST(StressTrial, everyWriterAtOnceLosesNothing)
{
    const int seconds = TrialCount("SITEKANRI_STRESS_SECONDS", 5);
    const quint32 seed = TrialSeed() % 30000; // bash seeds its RANDOM with at most 15 bits
    TempRegister reg; // records 1 … kBase, every seventh missing, named "base-N", as a write leaves them
    for (int number = 1; number <= kBase; ++number) {
        if (number % 7 != 0)
            reg.write(DataFileName(number), "[DATA]\r\nNAME=base-" + QByteArray::number(number) + "\r\nURL=http://base/\r\nKEY1=\r\nKEY2=\r\nKEY3=\r\nINDATA=\r\n");
    }
    reg.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=" + QByteArray::number(kBase) + "\r\n");

    QProcess window;
    window.start(FaultHelperPath(), {reg.path(), QStringLiteral("watch")});
    ASSERT_TRUE(window.waitForReadyRead(60000));
    ASSERT_EQ(window.readLine().trimmed(), "ready") << window.readAllStandardError().toStdString();

    // Four CLI loops, the hand edits, the lock file replaced.
    QProcess loops[6], &hand = loops[4];
    for (int k = 0; k < 6; ++k) {
        loops[k].start(QStringLiteral("bash"), {QStringLiteral(STRESS_LOOPS), k < 4 ? QStringLiteral("cli") : k == 4 ? QStringLiteral("hand") : QStringLiteral("lock"),
                                                reg.path(), QString::number(seconds), QString::number(seed + quint32(k)), QString::number(kBase), CliPath(),
                                                QStringLiteral("L%1").arg(k)});
    }
    for (QProcess &loop : loops)
        ASSERT_TRUE(loop.waitForFinished((seconds + 120) * 1000)) << "a writer did not stop";

    // The register as it must be, by name: what each loop reported, replayed loop by loop (a number
    // one loop freed another may take), and the first records with their hand edits ("number x y",
    // the counts of x in KEY3 and y in KEY2; the loops change their content unreported).
    std::map<QByteArray, QByteArray> expected, found;
    int operations = 0, failures = 0, edits = 0, twice = 0;
    for (int k = 0; k < 4; ++k) {
        std::map<QByteArray, QByteArray> own; // this loop's records by number
        for (const QByteArray &line : loops[k].readAllStandardOutput().split('\n')) {
            const QList<QByteArray> w = line.split(' ');
            operations += w.size() == 3;
            failures += w.size() == 3 && w[0].endsWith("fail");
            if (w[0] == "add")
                own[w[1]] = w[2], expected[w[2]] = w[1] + ' ';
            else if (w[0] == "update")
                expected[own[w[1]]] = w[1] + ' ' + w[2];
            else if (w[0] == "delete")
                expected.erase(own[w[1]]), own.erase(w[1]);
        }
    }
    std::map<int, std::pair<int, int>> handEdits;
    for (const QByteArray &line : hand.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> w = line.split(' ');
        if (w.size() == 2)
            ++(w[0] == "x" ? handEdits[w[1].toInt()].first : handEdits[w[1].toInt()].second), ++edits;
    }
    for (int number = 1; number <= kBase; ++number) {
        if (number % 7 != 0)
            expected["base-" + QByteArray::number(number)] = QByteArray::number(number) + ' ' + QByteArray::number(handEdits[number].first)
                + ' ' + QByteArray::number(handEdits[number].second);
    }
    std::cout << "operations " << operations << " (" << failures << " refused or failed), hand edits " << edits << std::endl;

    const QString torn = CheckFiles(reg.path(), INT_MAX);
    EXPECT_TRUE(torn.isEmpty()) << torn.toStdString();
    const SiteList disk = ReadRegister(reg.path());
    for (std::size_t i = 0; i < disk.size(); ++i) {
        const SiteRecord &r = disk.at(i);
        const QByteArray number = QByteArray::number(disk.number(i)) + ' ';
        twice += !found.emplace(r.GetName(), r.GetName().startsWith("base-") ? number + QByteArray::number(r.GetKeyword3().size()) + ' '
                                              + QByteArray::number(r.GetKeyword2().size()) : number + r.GetContent()).second;
    }
    EXPECT_EQ(twice, 0) << "records there twice";
    for (const auto &[name, record] : expected)
        EXPECT_EQ(found.count(name) ? found[name] : "lost", record) << name.toStdString();
    for (const auto &[name, record] : found)
        EXPECT_TRUE(expected.count(name)) << "not reported, or reported as failed: " << name.toStdString();

    // The window's list, once it has taken in the last changes: asked until it agrees, for at
    // most about ten seconds.
    const auto agrees = [&window] {
        window.write("check\n");
        while (!window.canReadLine() && window.waitForReadyRead(30000)) {
        }
        return window.readLine() == "same\n";
    };
    EXPECT_TRUE(QTest::qWaitFor(agrees, 10000)) << "the window's list differs from the disk";
    window.closeWriteChannel();
    window.waitForFinished(10000);
}

} // namespace
