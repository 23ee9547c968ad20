#pragma once

#include "CliOutput.h"

#include <QStringList>

// Exit codes of sitekanri-cli.
enum CliExit { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

// Runs sitekanri-cli with its arguments (program name first); returns the exit code.
int RunCli(const QStringList &arguments);
