#pragma once

#include "CliOutput.h"

#include <QStringList>

class QCommandLineParser;
class RegisterFolder;

// The keyword commands of sitekanri-cli: the keywords, with their counts when asked; a keyword
// renamed (merged into another) across the register; set on sites; taken off sites. Those that
// change the register print each site changed as `list --ids` prints it (or as JSON), and name
// on stderr each site left alone (changed elsewhere meanwhile, no free keyword slot, no such
// number), which makes the exit status 1.
int RunKeywords(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder);
int RunRenameKeyword(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder,
                     const QStringList &arguments);
int RunAddKeyword(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder,
                  const QStringList &arguments);
int RunRemoveKeyword(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder,
                     const QStringList &arguments);
