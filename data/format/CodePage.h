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
// ...) are stored as Windows stores them, and a character the code page lacks (é, 🍣) is stored
// as a numeric character reference ("&#233;"), which a page shows as that character. Fails only
// for what no register value can hold: a NUL or a line break, and half a surrogate pair.
bool fromTypedText(const QString &text, QByteArray &bytes);

// Register bytes as the text a person edits: as toText, except that each reference fromTypedText
// writes for a character the code page lacks ("&#233;") reads as that character, so that a field
// shows é and fromTypedText stores "&#233;" again. Any other reference ("&#xE9;", "&#0233;",
// "&amp;") stays as written: it is the user's HTML.
QString toTypedText(const QByteArray &bytes);

// The character Windows stores where Linux input methods type `typed` (U+FF5E for U+301C, ...),
// or `typed` itself: search treats the two alike, as the register does.
char16_t windowsFormOf(char16_t typed);

// The first character of `text` that fromTypedText cannot store (half a surrogate pair counts as
// one), or kNone when there is none: refusals name the character they are about.
inline constexpr char32_t kNone = 0xFFFFFFFF;
char32_t unstorableCharacter(const QString &text);

// Text that came from outside the user's typing (a bookmark file, a drop, a fetched title), for a
// name or a content, which the register holds as HTML: escaped (& < > "), so that it shows as the
// text it was; characters the code page lacks as numeric character references; tabs and line
// breaks as blanks and other control characters dropped. Never fails.
QByteArray fromOutsideText(const QString &text);

// The same for a keyword, which is never written into a page and so is not escaped.
QByteArray fromOutsideKeyword(const QString &text);

// A URL in its one stored form: an international host name as its punycode (IDNA) form, every
// other character beyond ASCII, and each that no URL may hold as it is (a blank, a control
// character, " < > ` { }), percent-encoded as UTF-8. Any other URL is kept as written.
QByteArray urlFromText(const QString &url);

// A stored URL for people: the punycode host and percent-encoded UTF-8 shown as the characters
// they stand for, where that cannot mislead (QUrl's rules); otherwise the bytes as they are.
QString urlToDisplayText(const QByteArray &url);

// Text that the caller knows to be representable (literals of the program itself).
QByteArray fromKnownText(const QString &text);

// A byte that starts a double-byte character.
bool isLeadByte(unsigned char byte);

// Length of the character starting at `i`: 2 for a double-byte character (a lead byte followed
// by a valid trail byte), else 1. A trail byte is never read as a character of its own, so
// bytes such as ']' or '\\' inside a double-byte character are not taken for themselves.
int charLength(const char *data, qsizetype size, qsizetype i);

// Whether `text` ends in a lead byte with no trail byte after it: half a character.
bool endsInLoneLeadByte(QByteArrayView text);

} // namespace CodePage
