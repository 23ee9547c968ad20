// One register kept on two computers by Syncthing: both change it while they are apart, then they
// meet. However the changes race, once everything has settled both computers hold the same records,
// each record made on either side exactly once, no conflict copy, and no data file above the count.
#include "ConflictCopyName.h"
#include "RegisterFiles.h"
#include "SyncthingPair.h"
#include "TempRegister.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

constexpr int kSettleMs = 30000;

class TwoComputers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (SyncthingPair::program().isEmpty())
            GTEST_SKIP() << "syncthing is not installed (scripts/setup.sh installs it)";
        QString why;
        ASSERT_TRUE(m_pair.start(why)) << why.toStdString();
    }

    ProgramRun cli(int side, const QStringList &arguments)
    {
        return RunProgram(QStringLiteral(SITEKANRI_CLI), QStringList{QStringLiteral("--dir"), m_pair.folder(side)} + arguments);
    }
    // A new record named `name` on computer `side`; it must be there once in the end.
    void add(int side, const QString &name)
    {
        const ProgramRun run = cli(side, {QStringLiteral("add"), QStringLiteral("--name"), name, QStringLiteral("--url"),
                                          QStringLiteral("http://example.jp/") + QString::number(m_expected.size())});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        m_expected.push_back(name);
    }
    // Renames record `was` on computer `side`; the new name must be there in the end, the old one not.
    void rename(int side, const QString &was, const QString &name)
    {
        const ProgramRun run = cli(side, {QStringLiteral("update"), QString::number(numberOf(side, was)),
                                          QStringLiteral("--name"), name});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        m_expected.erase(std::remove(m_expected.begin(), m_expected.end(), was), m_expected.end());
        m_expected.push_back(name);
    }
    void remove(int side, const QString &name)
    {
        const ProgramRun run = cli(side, {QStringLiteral("delete"), QString::number(numberOf(side, name))});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }
    int numberOf(int side, const QString &name)
    {
        for (const QString &line : QString::fromUtf8(cli(side, {QStringLiteral("list"), QStringLiteral("--ids")}).out).split(u'\n')) {
            const QStringList fields = line.split(u'\t');
            if (fields.value(1) == name)
                return fields[0].toInt();
        }
        ADD_FAILURE() << "no record " << name.toStdString() << " on computer " << side + 1;
        return 0;
    }

    // Changes made on both computers while the link is paused, then the two meet.
    void apart(const std::function<void()> &changes)
    {
        QString why;
        ASSERT_TRUE(m_pair.pause(why)) << why.toStdString();
        changes();
        ASSERT_TRUE(m_pair.scan(why)) << why.toStdString(); // each side's change is its own version
        ASSERT_TRUE(m_pair.resume(why)) << why.toStdString();
        ASSERT_TRUE(m_pair.settle(kSettleMs, why)) << why.toStdString();
    }
    void settle()
    {
        QString why;
        ASSERT_TRUE(m_pair.settle(kSettleMs, why)) << why.toStdString();
    }

    // What each computer lists, the same on both, each record made anywhere once; nothing set aside.
    void expectOneRegister()
    {
        const QByteArray one = cli(0, {QStringLiteral("list"), QStringLiteral("--ids")}).out;
        EXPECT_EQ(one, cli(1, {QStringLiteral("list"), QStringLiteral("--ids")}).out);
        QStringList names;
        for (const QString &line : QString::fromUtf8(one).split(u'\n', Qt::SkipEmptyParts))
            names << line.section(u'\t', 1, 1);
        QStringList expected(m_expected.begin(), m_expected.end());
        names.sort();
        expected.sort();
        EXPECT_EQ(names.join(u' ').toStdString(), expected.join(u' ').toStdString());
        for (int side = 0; side < 2; ++side) {
            const QDir dir(m_pair.folder(side));
            QFile setting(dir.filePath(QStringLiteral("setting.ini")));
            EXPECT_TRUE(setting.open(QIODevice::ReadOnly));
            const QByteArray text = setting.readAll();
            const int count = ParseRecordCount(text.mid(text.indexOf("DATA_CNT=") + 9));
            for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden)) {
                const ConflictCopyName copy = ConflictCopyName::parse(name);
                EXPECT_FALSE(copy.isCopy() && (DataFileNumber(copy.original) || copy.original == QLatin1String("setting.ini")))
                    << "left on computer " << side + 1 << ": " << name.toStdString();
                EXPECT_LE(DataFileNumber(name), count) << "above the count on computer " << side + 1 << ": " << name.toStdString();
            }
        }
    }

    SyncthingPair m_pair;
    std::vector<QString> m_expected;
};

TEST_F(TwoComputers, changesMadeApartSettleToEachRecordOnce)
{
    for (const char *name : {"一", "二", "三", "四"})
        add(0, QString::fromUtf8(name));
    settle();
    expectOneRegister();

    // Each round ends with the next write on one computer, which takes in what was set aside.
    apart([&] { add(0, QStringLiteral("A1")), add(1, QStringLiteral("B1")); });
    add(1, QStringLiteral("later1"));
    settle();
    expectOneRegister();

    apart([&] { add(0, QStringLiteral("A2")), add(0, QStringLiteral("A3")), add(1, QStringLiteral("B2")); });
    add(0, QStringLiteral("later2"));
    settle();
    expectOneRegister();

    apart([&] { rename(0, QStringLiteral("二"), QStringLiteral("二A")), rename(1, QStringLiteral("二"), QStringLiteral("二B")); });
    add(1, QStringLiteral("later3"));
    settle();
    expectOneRegister();

    // The edit is kept: what one computer changed was still wanted there.
    apart([&] { remove(0, QStringLiteral("三")), rename(1, QStringLiteral("三"), QStringLiteral("三B")); });
    add(0, QStringLiteral("later4"));
    settle();
    expectOneRegister();

    add(0, QStringLiteral("finalA"));
    settle();
    add(1, QStringLiteral("finalB"));
    settle();
    expectOneRegister();
}

// The windows open on both computers take in what the meeting set aside, both at once, on their own.
TEST_F(TwoComputers, openWindowsTakeInTheSameCopiesAtOnce)
{
    for (const char *name : {"一", "二"})
        add(0, QString::fromUtf8(name));
    settle();
    QProcess windows[2];
    for (int side = 0; side < 2; ++side) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_pair.dataHome(side));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_pair.dataHome(side) + QStringLiteral("/config"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        windows[side].setProcessEnvironment(env);
        windows[side].start(QStringLiteral(SITEKANRI_APP), {});
        ASSERT_TRUE(windows[side].waitForStarted(10000));
    }
    QTest::qWait(1000);
    apart([&] {
        add(0, QStringLiteral("A1")), add(0, QStringLiteral("A2")), add(1, QStringLiteral("B1"));
        rename(0, QStringLiteral("一"), QStringLiteral("一A")), rename(1, QStringLiteral("一"), QStringLiteral("一B"));
    });
    expectOneRegister();
    for (QProcess &window : windows) {
        EXPECT_EQ(window.state(), QProcess::Running) << "a window ended: " << window.readAllStandardError().toStdString();
        window.terminate();
        window.waitForFinished(5000);
    }
}

} // namespace
