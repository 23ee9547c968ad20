#pragma once

#include <QByteArray>
#include <QString>

// The register's code page (CP932, Shift-JIS as Windows writes it), named in this one place.
// Record texts stay in it as bytes; only where text meets a person is it converted.
namespace CodePage {

// Bytes as text, as Windows decodes them (0x8160 is U+FF5E). Invalid sequences become
// replacement characters; never fails.
QString toText(const QByteArray &bytes);

// Text as bytes, character for character by the code page's table; bytes below 0x80 stand for
// themselves. Returns false (and leaves `bytes` unspecified) when the code page cannot hold some
// character: nothing is ever silently replaced by '?'.
bool fromText(const QString &text, QByteArray &bytes);

// Text a person typed, as bytes: as fromText, except that the characters Linux input methods type
// where Windows' own input gives another of the same look (U+301C for 0x8160, U+2212 for 0x817C,
// ...) are stored as Windows stores them.
bool fromTypedText(const QString &text, QByteArray &bytes);

// The first character of `text` that fromTypedText cannot store (half a surrogate pair counts as
// one), or kNone when there is none: refusals name the character they are about.
inline constexpr char32_t kNone = 0xFFFFFFFF;
char32_t unstorableCharacter(const QString &text);

// Text that the caller knows to be representable (literals of the program itself).
QByteArray fromKnownText(const QString &text);

// A byte that starts a double-byte character.
bool isLeadByte(unsigned char byte);

// Length of the character starting at `i`: 2 for a double-byte character (a lead byte followed
// by a valid trail byte), else 1. A trail byte is never read as a character of its own, so
// bytes such as ']' or '\\' inside a double-byte character are not taken for themselves.
int charLength(const char *data, qsizetype size, qsizetype i);

} // namespace CodePage

// TODO(s25browser): temporary until s21text's versions are merged; remove this block then.
namespace CodePage {
QByteArray fromOutsideText(const QString &text);
QByteArray urlFromText(const QString &url);
} // namespace CodePage
