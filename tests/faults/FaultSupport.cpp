#include "FaultSupport.h"

#include "CodePage.h"
#include "IniDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <iostream>

namespace {

const QByteArray kNamePrefix = CodePage::fromKnownText(QStringLiteral("サイト "));

SiteRecord crashRecord(const QByteArray &tag)
{
    static const char *const keywords[] = {"検索", "ニュース", "天気", "地図", "辞書", "買い物"};
    const QString text = QString::fromLatin1(tag);
    const int pick = int(qHash(tag) % 6);
    SiteRecord r;
    r.SetName(kNamePrefix + tag);
    r.SetUrl("http://example.jp/" + tag);
    r.SetKeyword1(CodePage::fromKnownText(QString::fromUtf8(keywords[pick])));
    r.SetKeyword2(CodePage::fromKnownText(QString::fromUtf8(keywords[(pick + 1) % 6])));
    r.SetKeyword3(CodePage::fromKnownText(QStringLiteral("  版%1  ").arg(text))); // written quoted
    r.SetContent(CodePage::fromKnownText(QStringLiteral("%1のサイトの説明。").arg(text).repeated(1 + pick)));
    return r;
}

QByteArray tagOf(const SiteRecord &record)
{
    return record.GetName().startsWith(kNamePrefix) ? record.GetName().mid(kNamePrefix.size()) : record.GetName();
}

QByteArray fileBytes(const SiteRecord &record)
{
    IniDocument file;
    record.WriteTo(file);
    return file.serialize();
}

int trialScale()
{
    return std::max(1, qEnvironmentVariableIntValue("SITEKANRI_TRIAL_SCALE"));
}

} // namespace

Contents WriteCrashRegister(const QString &directory)
{
    Contents contents;
    // Written plainly: a test's setup needs no flushing, and a thousand flushed files take a while.
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(QDir(directory).filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the crash trial's register");
    };
    for (int number = 1; number <= kCrashRecords; ++number) {
        if (number % 7 == 0)
            continue;
        const QByteArray tag = 's' + QByteArray::number(number);
        write(DataFileName(number), fileBytes(crashRecord(tag)));
        contents[number] = tag;
    }
    write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=" + QByteArray::number(kCrashRecords) + "\r\n");
    return contents;
}

Contents LoadTags(const QString &directory)
{
    Contents contents;
    const SiteList sites = ReadRegister(directory);
    for (std::size_t i = 0; i < sites.size(); ++i)
        contents[sites.number(i)] = tagOf(sites.at(i));
    return contents;
}

Contents LoadTagsCountingIn(const QString &directory)
{
    Contents contents = LoadTags(directory);
    const QDir dir(directory);
    const IniDocument setting = IniDocument::parse(ReadFile(dir.filePath(QStringLiteral("setting.ini"))));
    const int count = setting.value("SETTING", "DATA_CNT").toInt();
    static const QRegularExpression dataName(QStringLiteral("^data([1-9][0-9]*)\\.ini$"));
    for (const QString &name : dir.entryList({QStringLiteral("data*.ini")}, QDir::Files)) {
        const QRegularExpressionMatch match = dataName.match(name);
        if (!match.hasMatch() || match.captured(1).toInt() <= count)
            continue;
        SiteRecord record;
        record.ReadFrom(IniDocument::parse(ReadFile(dir.filePath(name))));
        contents[match.captured(1).toInt()] = tagOf(record);
    }
    return contents;
}

QString CheckFiles(const QString &directory, int allowedTemporaries)
{
    QString complaints;
    QStringList temporaries;
    const QDir dir(directory);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden)) {
        const QByteArray bytes = ReadFile(dir.filePath(name));
        // A window keeps the files of the records its undo steps deleted until the steps go, and a
        // killed window until the next load: whole records, or the empty lock file of their owner.
        const bool kept = name.startsWith(QLatin1String(".sitekanri-kept-"));
        if (kept && name.count(QLatin1Char('-')) <= 2)
            continue;
        if (name.startsWith(QLatin1Char('.')) && !kept) {
            temporaries.append(name);
            continue;
        }
        if (name == QLatin1String("sitekanri.lock"))
            continue;
        bool whole = false;
        if (name == QLatin1String("setting.ini")) {
            whole = bytes.startsWith("[SETTING]\r\nDATA_CNT=") && bytes.endsWith("\r\n");
        } else if (name == QLatin1String("sitekanri-adding.txt")) {
            // A batch killed before its count names the numbers it was writing: two numbers.
            const QList<QByteArray> numbers = bytes.trimmed().split(' ');
            whole = bytes.endsWith('\n') && numbers.size() == 2 && numbers[0].toInt() > 0
                && numbers[1].toInt() >= numbers[0].toInt();
        } else if (kept || DataFileNumber(name) > 0) {
            SiteRecord record;
            record.ReadFrom(IniDocument::parse(bytes));
            whole = bytes == fileBytes(record) && !tagOf(record).isEmpty();
        }
        if (!whole)
            complaints += name + QStringLiteral(" is not whole (%1 bytes)\n").arg(bytes.size());
    }
    if (temporaries.size() > allowedTemporaries)
        complaints += QStringLiteral("%1 temporaries left: %2\n").arg(temporaries.size()).arg(temporaries.join(u' '));
    return complaints;
}

QString TrialFolderBase()
{
    return QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

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
