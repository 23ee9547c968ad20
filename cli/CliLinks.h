#pragma once

#include "CliOutput.h"

class RegisterFolder;

class QCommandLineParser;

// sitekanri-cli links [--keyword K] [--mode name|content|name-and-content] [--skip-dead]
// [--order register|list-name|list-url]: the code コード生成 writes, in the register's order or as
// the list sorts by name or URL, leaving out the sites the last check found dead when asked.
// Returns the exit code.
int RunLinks(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder);
