#include "TempRegister.h"

#include "AppDirectory.h"
#include "CodePage.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

const RecordField kRecordFields[6] = {&SiteRecord::m_name,     &SiteRecord::m_url,      &SiteRecord::m_keyword1,
                                      &SiteRecord::m_keyword2, &SiteRecord::m_keyword3, &SiteRecord::m_content};
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

QString TempRegister::file(const QString &name) const
{
    return QDir(m_dir.path()).filePath(name);
}

void TempRegister::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(file(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << name.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray TempRegister::read(const QString &name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

bool TempRegister::exists(const QString &name) const
{
    return QFileInfo::exists(file(name));
}

FolderFiles::FolderFiles(const QString &directory) : folder(QFile::encodeName(directory))
{
    EXPECT_TRUE(folder.open(false)) << directory.toStdString();
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
    QStringList kept;
    for (const QString &name : QDir(directory).entryList(QDir::Files | QDir::Hidden)) {
        if (name.startsWith(u".sitekanri-kept-") && name.count(u'-') > 2)
            kept << name;
    }
    return kept;
}

std::string Listing(const SiteList &sites)
{
    std::string out;
    for (std::size_t i = 0; i < sites.size(); ++i)
        out += (i ? " " : "") + std::to_string(sites.number(i)) + ':' + sites.at(i).m_name.toStdString();
    return out;
}

Snapshot TakeSnapshot(const QString &directory)
{
    Snapshot snapshot;
    QDirIterator it(directory, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        QFile file(it.next());
        const QFileInfo info = it.fileInfo();
        // Links, pipes and devices are named, not followed or opened (a pipe would block).
        snapshot[it.fileName()] = info.isSymLink() ? "<link to " + info.symLinkTarget().toUtf8() + '>'
            : info.isDir()                         ? QByteArray("<directory>")
            : !info.isFile()                       ? QByteArray("<special>")
            : file.open(QIODevice::ReadOnly)       ? file.readAll()
                                                   : QByteArray("<unreadable>");
    }
    return snapshot;
}

ProgramRun RunProgram(const QString &program, const QStringList &arguments, const QString &input)
{
    QProcess process;
    if (!input.isEmpty())
        process.setStandardInputFile(input);
    process.start(program, arguments);
    ProgramRun run;
    const bool finished = process.waitForStarted(10000) && process.waitForFinished(60000);
    EXPECT_TRUE(finished) << program.toStdString() << ": " << process.errorString().toStdString();
    if (finished && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    if (!finished)
        process.kill();
    process.waitForFinished();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
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
    SiteList sites;
    bool damaged = false;
    EXPECT_TRUE(FolderFiles(directory).files.load(sites, damaged) && !damaged);
    return sites;
}
