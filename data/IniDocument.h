#pragma once

#include <QByteArray>

#include <optional>
#include <vector>

// One profile file (INI) held in memory, read and rewritten by the rules of the Windows
// profile-file functions: CP932 double-byte characters are parsed as characters, the first
// matching section and key win, and rewriting keeps every other line in its order.
class IniDocument
{
public:
    // The file's text encoding: a byte-order mark switches it, otherwise the ANSI code page.
    enum class Encoding { Ansi, Utf8Bom, Utf16LeBom, Utf16BeBom };

    static IniDocument parse(const QByteArray &fileBytes);

    // The whole file as it is written: CRLF line ends, no blank lines, `name=value` entries,
    // in the encoding (and with the byte-order mark) the file was read in.
    QByteArray serialize() const;

    // The value as the profile reader returns it: a matching pair of outer quotes removed.
    // A missing section or key, or a key line without '=', gives `defaultValue` (also unquoted).
    QByteArray value(const QByteArray &section, const QByteArray &key, const QByteArray &defaultValue = {}) const;

    // Sets a value, quoted where the readers would otherwise change it. Returns true when the
    // file's text changed. The value must be storable (IsStorableIniValue).
    bool setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value);

    Encoding encoding() const { return m_encoding; }
    bool isEmpty() const { return m_lines.empty(); }

private:
    struct Line
    {
        bool isHeader = false;
        bool hasEquals = false;
        QByteArray name;  // section name for a header, key name for an entry
        QByteArray value; // text after '=' as it stands in the file (quotes kept)
    };

    // Index of the first header matching `section`, or -1.
    int findSection(const QByteArray &section) const;
    // Index of the first entry named `key` in the section whose header is at `header`, or -1.
    int findKey(int header, const QByteArray &key) const;
    // Index just past the last line of the section whose header is at `header`.
    int sectionEnd(int header) const;

    std::vector<Line> m_lines;
    Encoding m_encoding = Encoding::Ansi;
};

// False for a value this format cannot hold: one containing CR, LF or NUL would break the
// file's lines, so such values are refused rather than written.
bool IsStorableIniValue(const QByteArray &value);

// The written form of a value: wrapped in double quotes when it has blanks at either end or is
// itself enclosed in a matching pair of quotes, so that both readers return it unchanged.
QByteArray QuoteIniValue(const QByteArray &value);

// What the profile reader makes of a written value: one matching pair of outer quotes removed.
QByteArray UnquoteIniValue(const QByteArray &value);
