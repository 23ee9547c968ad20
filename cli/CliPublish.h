#pragma once

#include <QStringList>

class QCommandLineParser;
class RegisterFolder;

// sitekanri-cli publish [--dry-run] [--upload] [FILE|FOLDER…]: publishes the pages given, or the
// register's list of pages on this computer (the window's 「公開」), and prints one line per page:
// its status (written, or changes with --dry-run; unchanged; refused), its path and what changed or
// why it was refused. With --upload, then sends the site's files to the publication's server
// (CliUpload), one line per file. Returns the exit code: 1 when any page was refused or any file
// not sent.
int RunPublish(const QCommandLineParser &parser, RegisterFolder &folder, const QStringList &paths);
