#pragma once

#include "CliOutput.h"

class RegisterFolder;

class QCommandLineParser;

// sitekanri-cli check [--keyword K] [--format tsv|json] [--timeout SECONDS] [--jobs N]: checks
// the URL of every site (or of those with keyword K), prints one line per site in register
// order and keeps the results beside the register. Returns the exit code.
int RunCheck(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder);
