#pragma once

#include <QString>

// The register directory. By default: the executable's directory when it holds "setting.ini"
// (a register carried over from Windows, or a portable install), otherwise the per-user data
// directory. A directory set with SetAppDirectory (the CLI's --dir, tests) overrides both.
QString AppDirectory();

// The register directory as the bytes the system names it by: a folder whose name is not valid
// UTF-8 is used as it is, never replaced by another folder whose name holds replacement
// characters (as decoding it to text and back would give).
QByteArray AppDirectoryBytes();

// Overrides the register directory for the rest of the process; an empty path restores the default.
void SetAppDirectory(const QString &directory);

// The full path of a register file: the register directory followed by the file name.
QString AppFilePath(const QString &fileName);
