#pragma once

#include "IniFileEncoding.h"

#include <QByteArray>

#include <map>
#include <vector>

// One profile file (INI) held in memory, read and rewritten by the rules of the Windows
// profile-file functions: CP932 double-byte characters are parsed as characters, the first
// matching section and key win, and rewriting keeps every other line in its order.
class IniDocument
{
public:
    using Encoding = IniEncoding;

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
    // True when the file has no line but blank ones.
    bool isEmpty() const;

private:
    // A key added by setValue, with its value as written.
    struct Entry
    {
        QByteArray name;
        QByteArray value;
    };
    // A section added at the end of the file.
    struct Section
    {
        QByteArray name;
        std::vector<Entry> entries;
    };

    // Where a key stands in the text read.
    struct Location;
    Location locate(const QByteArray &section, const QByteArray &key) const;
    // The value setValue gave that key, or null.
    const QByteArray *editedValue(const Location &at, const QByteArray &section, const QByteArray &key) const;

    // The file's text is kept as read and scanned again for each lookup; edits are kept beside it
    // and applied while the file is written. A parsed form per line would cost many times the
    // file's size for a file of short lines (tens of bytes of bookkeeping for a line of two).
    QByteArray m_text; // in the code page, line ends and blanks as they stand in the file
    std::map<qsizetype, QByteArray> m_newValues;          // by the position of the key's line
    std::map<qsizetype, std::vector<Entry>> m_newEntries; // by the position where their section ends
    std::vector<Section> m_newSections;
    Encoding m_encoding = Encoding::Ansi;
};

// False for a value this format cannot hold: one containing CR, LF or NUL would break the
// file's lines, so such values are refused rather than written.
bool IsStorableIniValue(const QByteArray &value);

// The written form of a value: wrapped in double quotes when it has blanks at either end or is
// itself enclosed in a matching pair of quotes, so that both readers return it unchanged.
QByteArray QuoteIniValue(const QByteArray &value);
