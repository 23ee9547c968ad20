#include "FaultSupport.h"

#include "AppDirectory.h"

#include <cstring>

std::string Describe(const Snapshot &snapshot)
{
    std::string out;
    for (const auto &[name, bytes] : snapshot)
        out += name.toStdString() + " (" + std::to_string(bytes.size()) + " bytes)\n";
    return out;
}

QString RunCommands(const char *commands, const QString &directory)
{
    for (const QString &command : QString::fromLatin1(commands).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QStringList words = command.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        words.replaceInStrings(QStringLiteral("DIR"), directory);
        const ProgramRun run = RunProgram(words.takeFirst(), words);
        if (run.exitCode != 0)
            return command.trimmed() + QStringLiteral(": ") + QString::fromLocal8Bit(run.err.trimmed());
    }
    return {};
}

void SaveSimpleRegister(int count)
{
    std::vector<SiteRecord> records;
    for (int i = 0; i < count; ++i) {
        SiteRecord record;
        record.m_name = "site" + QByteArray::number(i);
        record.m_url = "http://example.jp/" + QByteArray::number(i);
        records.push_back(record);
    }
    AddRecords(AppDirectory(), records);
}

CrashRegister::Contents LoadTags(const QString &directory)
{
    CrashRegister::Contents contents;
    const SiteList sites = ReadRegister(directory);
    for (std::size_t i = 0; i < sites.size(); ++i)
        contents[sites.number(i)] = CrashRegister::TagOf(sites.at(i));
    return contents;
}

int TrialCount(const char *variable, int fallback)
{
    return qEnvironmentVariableIsSet(variable) ? qEnvironmentVariableIntValue(variable) : fallback;
}
