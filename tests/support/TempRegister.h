#pragma once

#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "SiteList.h"
#include "SiteRecord.h"
#include "SiteTexts.h"
#include "SiteRegister.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <string>
#include <vector>

// Whole files: a write that fails fails the test; a file that cannot be read reads as "<unreadable>".
void WriteFile(const QString &path, const QByteArray &bytes);
// A data file holding `record` as the register writes a new one, written straight (as a sync tool
// or a text editor would, without the register's lock).
void WriteRecordFile(const QString &path, const SiteRecord &record);
QByteArray ReadFile(const QString &path);

// A fresh register directory for one test, made the register directory in force for as long
// as it lives.
class TempRegister
{
public:
    TempRegister();
    ~TempRegister();

    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return QDir(m_dir.path()).filePath(name); }

    void write(const QString &name, const QByteArray &bytes) const { WriteFile(file(name), bytes); }
    QByteArray read(const QString &name) const { return ReadFile(file(name)); }
    bool exists(const QString &name) const { return QFileInfo::exists(file(name)); }

private:
    QTemporaryDir m_dir;
};

// Another program's view of the register folder `directory`: the folder, opened, and its files.
struct FolderFiles
{
    explicit FolderFiles(const QString &directory);
    RegisterFolder folder;
    RegisterFiles files{folder};
};

// A fresh register folder holding `records` (WriteRegister), opened as the window opens it, and
// watched when asked.
struct OpenRegister
{
    explicit OpenRegister(const std::vector<SiteRecord> &records, bool watched = false, const std::vector<int> &gaps = {});
    TempRegister dir;
    SiteRegister reg{QFile::encodeName(dir.path())};
};

// Adds records to the register in `directory`, numbered after those already there.
void AddRecords(const QString &directory, const std::vector<SiteRecord> &records);

// The six texts of a record in the order of the data file's keys, and those keys.
using RecordField = SiteText;
inline constexpr std::array<SiteText, 6> kRecordFields = kSiteTexts;
extern const char *const kRecordKeys[6];

// A record from UTF-8 text, converted to the register's code page.
SiteRecord MakeRecord(const char *name, const char *url, const char *keyword1 = "", const char *keyword2 = "",
                      const char *keyword3 = "", const char *content = "");

// Makes `directory` hold exactly `records` as a register written by the register's own operations,
// numbered from 1, then removes the records numbered in `gaps`.
void WriteRegister(const QString &directory, const std::vector<SiteRecord> &records, const std::vector<int> &gaps = {});
// The register in `directory` as a fresh load finds it (numbers included); a failed or damaged
// load fails the test.
SiteList ReadRegister(const QString &directory);

// The files a delete keeps aside for its undo in `directory` (not the lock file beside them).
QStringList KeptFiles(const QString &directory);

// A list as "number:name …", the names as stored.
std::string Listing(const SiteList &sites);

// CP932 bytes of UTF-8 source text; SjisOf serves as a case file's converter (CaseField).
QByteArray Sjis(const char *utf8);
inline QByteArray SjisOf(const QByteArray &utf8) { return Sjis(utf8.constData()); }

// Every entry of a directory (hidden ones included) with its bytes: two equal snapshots mean
// nothing was changed, added or left behind.
using Snapshot = std::map<QString, QByteArray>;
Snapshot TakeSnapshot(const QString &directory);

// A program run to its end, its standard input read from `input` when given; a crash, a hang or a
// failed start leaves exitCode at -1. With `qtWarningsFatal`, a Qt warning the program prints
// (QT_FATAL_WARNINGS) ends it as a crash: a script reading its stderr would take it for an error.
struct ProgramRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
ProgramRun RunProgram(const QString &program, const QStringList &arguments, const QString &input = QString(),
                      bool qtWarningsFatal = false);
