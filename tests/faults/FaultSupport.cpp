#include "FaultSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <iostream>

QString RunCommands(const char *commands, const QString &directory)
{
    for (const QString &command : QString::fromLatin1(commands).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QStringList words = command.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        words.replaceInStrings(QStringLiteral("DIR"), directory);
        if (words == QStringList{QStringLiteral("fill"), directory}) { // a file over the folder's free space
            QFile fill(directory + QStringLiteral("/fill"));
            for (fill.open(QIODevice::WriteOnly); fill.write(QByteArray(4096, 'f')) == 4096 && fill.flush();) {
            }
            continue;
        }
        const ProgramRun run = RunProgram(words.takeFirst(), words);
        if (run.exitCode != 0)
            return command.trimmed() + QStringLiteral(": ") + QString::fromLocal8Bit(run.err.trimmed());
    }
    return {};
}

CrashRegister::Contents LoadTags(const QString &directory)
{
    CrashRegister::Contents contents;
    const SiteList sites = ReadRegister(directory);
    for (std::size_t i = 0; i < sites.size(); ++i)
        contents[sites.number(i)] = CrashRegister::TagOf(sites.at(i));
    return contents;
}

QString TrialFolderBase()
{
    return QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

QByteArray KillWhileWorking(const QString &program, const QStringList &arguments, QRandomGenerator &random,
                            quint32 spreadUs)
{
    QProcess process;
    process.start(program, arguments);
    QByteArray out;
    while (!out.contains("begin ") && process.waitForReadyRead(30000))
        out += process.readAllStandardOutput();
    EXPECT_TRUE(out.contains("begin ")) << "it never began: " << process.readAllStandardError().toStdString();
    QThread::usleep(random.bounded(spreadUs));
    process.kill();
    process.waitForFinished();
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit) << "it ended: " << process.readAllStandardError().toStdString();
    return out + process.readAllStandardOutput();
}

namespace {

int trialScale()
{
    return std::max(1, qEnvironmentVariableIntValue("SITEKANRI_TRIAL_SCALE"));
}

} // namespace

int TrialCount(const char *variable, int everyday)
{
    return qEnvironmentVariableIsSet(variable) ? qEnvironmentVariableIntValue(variable) : everyday * trialScale();
}

quint32 TrialSeed()
{
    bool given = false;
    const quint32 seed = qEnvironmentVariable("SITEKANRI_TRIAL_SEED").toUInt(&given);
    const quint32 chosen = given ? seed : QRandomGenerator::global()->generate();
    std::cout << "trial seed " << chosen << ", scale " << trialScale() << " (SITEKANRI_TRIAL_SEED=" << chosen
              << " SITEKANRI_TRIAL_SCALE=" << trialScale() << " repeats it)" << std::endl;
    return chosen;
}

Replay ReplayLog(CrashRegister::Contents contents, const QByteArray &log)
{
    Replay replay;
    for (const QByteArray &line : log.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words[0] == "begin" && words.size() == 4) {
            replay.pending = words;
        } else if (words[0] == "done" && !replay.pending.isEmpty()) {
            const QList<QByteArray> &op = replay.pending;
            const int number = op[1] == "add" ? words.value(1).toInt() : op[2].toInt();
            op[1] == "delete" ? void(contents.erase(number)) : void(contents[number] = op[3]);
            replay.pending.clear();
            ++replay.finished;
        } else if (words[0] == "undone") {
            replay.pending.clear();
        }
    }
    replay.contents = contents;
    return replay;
}

bool ShowsReplay(const Replay &replay, const CrashRegister::Contents &shown)
{
    if (shown == replay.contents)
        return true;
    if (replay.pending.isEmpty())
        return false;
    CrashRegister::Contents done = replay.contents;
    const QList<QByteArray> &op = replay.pending;
    // An add takes the number after the highest; an update of a number that has no record is refused.
    const int number = op[1] == "add" ? (shown.empty() ? 0 : shown.rbegin()->first) : op[2].toInt();
    if ((op[1] == "add") == bool(done.count(number)))
        return false;
    op[1] == "delete" ? void(done.erase(number)) : void(done[number] = op[3]);
    return shown == done;
}

std::string Differences(const CrashRegister::Contents &expected, const CrashRegister::Contents &shown)
{
    std::string out;
    for (const auto &[number, tag] : expected) {
        if (!shown.count(number) || shown.at(number) != tag)
            out += " lost " + std::to_string(number) + ':' + tag.toStdString();
    }
    for (const auto &[number, tag] : shown) {
        if (!expected.count(number))
            out += " extra " + std::to_string(number) + ':' + tag.toStdString();
    }
    return out;
}
