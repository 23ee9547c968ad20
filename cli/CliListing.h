#pragma once

#include "CliOutput.h"

#include <QStringList>

class QCommandLineParser;
class RegisterFolder;

// sitekanri-cli list [--format tsv|json] [--ids]: every record as stored, in register order, then
// what sync tools' conflict copies hold.
int RunList(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder);

// sitekanri-cli search QUERY… [--format tsv|json] [--ids] [--keyword K]: the records the window's
// search box finds with the words typed (every word, in any of the six fields as the window shows
// them), of keyword K only when given, listed as `list` lists them. Exit 1, with nothing printed,
// when none matches.
int RunSearch(const QCommandLineParser &parser, OutputEncoding encoding, RegisterFolder &folder, const QStringList &words);
