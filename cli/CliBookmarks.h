#pragma once

#include "CliOutput.h"

#include <QString>

class QCommandLineParser;
class RegisterFolder;

// sitekanri-cli import FILE ("-": standard input) [--keyword-order tags|folders]: every new
// bookmark of the file added as one operation, then the summary on standard output in `encoding`.
// Where a bookmark's tags and folders are more than three keywords, the tags come first unless
// --keyword-order says folders; when it mattered and was not said, stderr says so.
int RunImport(const QCommandLineParser &parser, RegisterFolder &folder, const QString &file, OutputEncoding encoding);
// sitekanri-cli export [FILE]: the register as a bookmark file in UTF-8, replacing FILE whole, or
// on standard output when there is no FILE (or it is "-").
int RunExport(RegisterFolder &folder, const QString &file);
