#pragma once

#include <QString>

// The register directory. By default: the executable's directory when it holds "setting.ini"
// (a register carried over from Windows, or a portable install), otherwise the per-user data
// directory. A directory set with SetAppDirectory (the CLI's --dir, tests) overrides both.
QString AppDirectory();

// Overrides the register directory for the rest of the process; an empty path restores the default.
void SetAppDirectory(const QString &directory);

// The full path of a register file: the register directory followed by the file name.
QString AppFilePath(const QString &fileName);
