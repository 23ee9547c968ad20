#pragma once

#include <QByteArray>

// A profile file's text encoding: a byte-order mark switches it, otherwise the ANSI code page.
enum class IniEncoding { Ansi, Utf8Bom, Utf16LeBom, Utf16BeBom };

// A file's text in the ANSI code page, and the encoding to write it back in.
struct DecodedIniFile
{
    QByteArray text;
    IniEncoding encoding = IniEncoding::Ansi;
};

// Reads a file's bytes as the profile functions do. What the code page cannot hold of a Unicode
// file becomes '?', one per UTF-16 unit, as the Windows conversion makes it: a file edited
// elsewhere then reads here as it reads there.
DecodedIniFile DecodeIniFile(const QByteArray &raw);
// Code-page text written in `encoding`, with its byte-order mark.
QByteArray EncodeIniFile(const QByteArray &ansi, IniEncoding encoding);
