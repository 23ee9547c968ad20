#include "CrashRegister.h"

#include "CodePage.h"
#include "IniDocument.h"
#include "RegisterFiles.h"

#include <QDir>
#include <QFile>

namespace CrashRegister {

namespace {

const QByteArray kNamePrefix = CodePage::fromKnownText(QStringLiteral("サイト "));

QByteArray fileBytes(const SiteRecord &record)
{
    IniDocument file;
    record.WriteTo(file);
    return file.serialize();
}

} // namespace

SiteRecord Record(const QByteArray &tag)
{
    static const char *const keywords[] = {"検索", "ニュース", "天気", "地図", "辞書", "買い物"};
    const QString text = QString::fromLatin1(tag);
    const int pick = int(qHash(tag) % 6);
    SiteRecord r;
    r.m_name = kNamePrefix + tag;
    r.m_url = "http://example.jp/" + tag;
    r.m_keyword1 = CodePage::fromKnownText(QString::fromUtf8(keywords[pick]));
    r.m_keyword2 = CodePage::fromKnownText(QString::fromUtf8(keywords[(pick + 1) % 6]));
    r.m_keyword3 = CodePage::fromKnownText(QStringLiteral("  版%1  ").arg(text)); // written quoted
    r.m_content = CodePage::fromKnownText(QStringLiteral("%1のサイトの説明。").arg(text).repeated(1 + pick));
    return r;
}

QByteArray TagOf(const SiteRecord &record)
{
    return record.m_name.startsWith(kNamePrefix) ? record.m_name.mid(kNamePrefix.size()) : record.m_name;
}

Contents WriteStart(const QString &directory)
{
    Contents contents;
    // Written plainly: a test's setup needs no flushing, and a thousand flushed files take a while.
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(QDir(directory).filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the crash trial's register");
    };
    for (int number = 1; number <= kRecords; ++number) {
        if (number % 7 == 0)
            continue;
        const QByteArray tag = 's' + QByteArray::number(number);
        write(DataFileName(number), fileBytes(Record(tag)));
        contents[number] = tag;
    }
    write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=" + QByteArray::number(kRecords) + "\r\n");
    return contents;
}

QString CheckFiles(const QString &directory, int allowedTemporaries)
{
    QString complaints;
    QStringList temporaries;
    const QDir dir(directory);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden)) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
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
            whole = bytes == fileBytes(record) && !TagOf(record).isEmpty();
        }
        if (!whole)
            complaints += name + QStringLiteral(" is not whole (%1 bytes)\n").arg(bytes.size());
    }
    if (temporaries.size() > allowedTemporaries)
        complaints += QStringLiteral("%1 temporaries left: %2\n").arg(temporaries.size()).arg(temporaries.join(u' '));
    return complaints;
}

} // namespace CrashRegister
