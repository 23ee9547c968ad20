#pragma once

#include "CliOutput.h"

#include <QString>

class RegisterFolder;

// sitekanri-cli import FILE ("-": standard input): every new bookmark of the file added as one
// operation, then the summary on standard output in `encoding`.
int RunImport(RegisterFolder &folder, const QString &file, OutputEncoding encoding);
// sitekanri-cli export [FILE]: the register as a bookmark file in UTF-8, replacing FILE whole, or
// on standard output when there is no FILE (or it is "-").
int RunExport(RegisterFolder &folder, const QString &file);
