#include "TempRegister.h"

#include "AppDirectory.h"
#include "CodePage.h"
#include "IniDocument.h"

#include <QDirIterator>
#include <QProcess>

#include <gtest/gtest.h>

const char *const kRecordKeys[6] = {"NAME", "URL", "KEY1", "KEY2", "KEY3", "INDATA"};

TempRegister::TempRegister()
{
    EXPECT_TRUE(m_dir.isValid());
    SetAppDirectory(m_dir.path());
}

TempRegister::~TempRegister()
{
    SetAppDirectory(QString());
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size()) << path.toStdString();
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

FolderFiles::FolderFiles(const QString &directory) : folder(QFile::encodeName(directory))
{
    EXPECT_TRUE(folder.open(RegisterFolder::Missing::ReadsEmpty)) << directory.toStdString();
}

OpenRegister::OpenRegister(const std::vector<SiteRecord> &records, bool watched, const std::vector<int> &gaps)
{
    WriteRegister(dir.path(), records, gaps);
    EXPECT_TRUE(reg.open());
    if (watched)
        reg.watch();
}

void AddRecords(const QString &directory, const std::vector<SiteRecord> &records)
{
    const OperationResult added = FolderFiles(directory).files.addMany(records);
    ASSERT_TRUE(added.done()) << added.io.describe().toStdString();
}

QByteArray Sjis(const char *utf8)
{
    return CodePage::fromKnownText(QString::fromUtf8(utf8));
}

SiteRecord MakeRecord(const char *name, const char *url, const char *keyword1, const char *keyword2,
                      const char *keyword3, const char *content)
{
    SiteRecord record;
    const char *const texts[] = {name, url, keyword1, keyword2, keyword3, content};
    for (int field = 0; field < 6; ++field)
        record.*kRecordFields[field] = Sjis(texts[field]);
    return record;
}

QStringList KeptFiles(const QString &directory)
{
    QStringList kept = QDir(directory).entryList({QStringLiteral(".sitekanri-kept-*")}, QDir::Files | QDir::Hidden | QDir::CaseSensitive);
    kept.removeIf([](const QString &name) { return name.count(u'-') <= 2; });
    return kept;
}

std::string Listing(const SiteList &sites)
{
    std::string out;
    for (std::size_t i = 0; i < sites.size(); ++i)
        out += (i ? " " : "") + std::to_string(sites.number(i)) + ':' + sites.at(i).GetName().toStdString();
    return out;
}

Snapshot TakeSnapshot(const QString &directory)
{
    Snapshot snapshot;
    QDirIterator it(directory, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        // Links, pipes and devices are named, not followed or opened (a pipe would block).
        snapshot[it.fileName()] = info.isSymLink() ? "<link to " + info.symLinkTarget().toUtf8() + '>'
            : info.isDir()                         ? QByteArray("<directory>")
            : !info.isFile()                       ? QByteArray("<special>")
                                                   : ReadFile(path);
    }
    return snapshot;
}

ProgramRun RunProgram(const QString &program, const QStringList &arguments, const QString &input, bool qtWarningsFatal)
{
    QProcess process;
    if (!input.isEmpty())
        process.setStandardInputFile(input);
    if (qtWarningsFatal) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_FATAL_WARNINGS"), QStringLiteral("1"));
        process.setProcessEnvironment(environment);
    }
    process.start(program, arguments);
    const bool finished = process.waitForStarted(10000) && process.waitForFinished(60000);
    EXPECT_TRUE(finished) << program.toStdString() << ": " << process.errorString().toStdString();
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    const int exitCode = finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {exitCode, process.readAllStandardOutput(), process.readAllStandardError()};
}

void WriteRecordFile(const QString &path, const SiteRecord &record)
{
    IniDocument file;
    record.WriteTo(file);
    WriteFile(path, file.serialize());
}

void WriteRegister(const QString &directory, const std::vector<SiteRecord> &records, const std::vector<int> &gaps)
{
    QDir dir(directory);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        ASSERT_TRUE(dir.remove(name)) << name.toStdString();
    if (!records.empty())
        AddRecords(directory, records);
    FolderFiles other(directory);
    for (int number : gaps)
        ASSERT_TRUE(other.files.remove(number).done()) << "removing " << number;
}

SiteList ReadRegister(const QString &directory)
{
    Reading<LoadedRegister> loaded = FolderFiles(directory).files.load();
    EXPECT_TRUE(loaded && !loaded.value.damaged);
    return std::move(loaded.value.sites);
}
