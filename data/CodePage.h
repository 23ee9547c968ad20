#pragma once

#include <QByteArray>
#include <QString>

// The register's code page (CP932, Shift-JIS as Windows writes it), named in this one place.
// Record texts stay in it as bytes; only where text meets a person is it converted.
namespace CodePage {

// Bytes as text. Invalid sequences become replacement characters; never fails.
QString toText(const QByteArray &bytes);

// Text as bytes. Returns false (and leaves `bytes` unspecified) when the code page cannot hold
// some character: nothing is ever silently replaced by '?'.
bool fromText(const QString &text, QByteArray &bytes);

// Text that the caller knows to be representable (literals of the program itself).
QByteArray fromKnownText(const QString &text);

// A byte that starts a double-byte character.
bool isLeadByte(unsigned char byte);

// Length of the character starting at `i`: 2 for a double-byte character (a lead byte followed
// by a valid trail byte), else 1. A trail byte is never read as a character of its own, so
// bytes such as ']' or '\\' inside a double-byte character are not taken for themselves.
int charLength(const char *data, qsizetype size, qsizetype i);

} // namespace CodePage
