#pragma once

#include <QByteArray>
#include <QString>

class QCommandLineParser;

// The parser's complaint in Japanese (its own words are English): the option it is about, and
// what is wrong with it.
QString CliParseError(const QCommandLineParser &parser);

// The value of the last --dir (or -dir) as the bytes the program was given: a folder name need
// not be UTF-8, and decoding it would name another folder.
QByteArray CliRawDirectory(int argc, char *argv[]);
