#pragma once

#include "CliOutput.h"

#include <QByteArray>
#include <QStringList>

// Exit codes of sitekanri-cli.
enum CliExit { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

// Runs sitekanri-cli with its arguments (program name first); returns the exit code. `rawDir`
// is the value of --dir as the bytes given (null: taken from `arguments`).
int RunCli(int argc, char *argv[]);
int RunCli(const QStringList &arguments, const QByteArray &rawDir = QByteArray());
