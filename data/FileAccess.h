#pragma once

#include "IoResult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// True when `path` names a file that can be read as one: not missing, not a directory. A data
// file that is a directory counts as missing, as the register has always treated it.
bool FileExists(const QString &path);

// Reads a whole file. A missing file gives `exists` false and success (it reads as empty);
// a file that exists but cannot be read (permissions, I/O error, a directory, a pipe or device)
// is a failure.
IoResult ReadWholeFile(const QString &path, QByteArray &bytes, bool &exists);

// Replaces a set of files all together. `stage` writes each new content beside its target in
// a temporary file; `commit` then renames them over their targets in staging order. Nothing
// is replaced until every file has been staged, so a failure while staging (full disk,
// read-only directory) leaves every target as it was, and a crash leaves each file whole,
// old or new. Temporary files that were not committed are removed.
class FileReplacement
{
public:
    FileReplacement() = default;
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;
    ~FileReplacement();

    IoResult stage(const QString &target, const QByteArray &content);
    IoResult commit();
    int stagedCount() const { return int(m_targets.size()); }

private:
    void discard();

    QStringList m_targets;
    QStringList m_temporaries;
};

// Removes temporary files that a replacement interrupted by a crash left in `directory`.
void RemoveLeftoverTemporaries(const QString &directory);
