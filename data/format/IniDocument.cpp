#include "IniDocument.h"

#include "CodePage.h"
#include "IniFileEncoding.h"

#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <cstring>

namespace {

// Whitespace as the profile functions see it; the ideographic space is not among it.
bool isIniSpace(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 0x09 && u <= 0x0D) || u == 0x20 || u == 0x1A;
}

using CodePage::charLength;
using CodePage::endsInLoneLeadByte;

QByteArrayView trimmed(const char *begin, const char *end)
{
    while (begin < end && isIniSpace(*begin))
        ++begin;
    while (end > begin && isIniSpace(end[-1]))
        --end;
    return QByteArrayView(begin, end - begin);
}

QByteArrayView trimmed(QByteArrayView text)
{
    return trimmed(text.data(), text.data() + text.size());
}

// A name or value as the Windows functions hand it over: a C string, ending at a NUL.
// Cut before trimming, so that blanks in front of the NUL go too and the text reads the same
// once rewritten.
QByteArrayView trimmedText(const char *begin, const char *end)
{
    if (const char *nul = static_cast<const char *>(std::memchr(begin, '\0', size_t(end - begin))))
        end = nul;
    return trimmed(begin, end);
}

// Section and key names: ASCII letters without case, whole characters otherwise.
bool namesMatch(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    const char *p = a.data();
    const char *q = b.data();
    for (qsizetype i = 0; i < a.size();) {
        const int len = charLength(p, a.size(), i);
        if (len == 2) {
            if (p[i] != q[i] || p[i + 1] != q[i + 1])
                return false;
        } else {
            char x = p[i], y = q[i];
            if (x >= 'a' && x <= 'z')
                x = char(x - 'a' + 'A');
            if (y >= 'a' && y <= 'z')
                y = char(y - 'a' + 'A');
            if (x != y)
                return false;
        }
        i += len;
    }
    return true;
}

// Position of the last ']' that is a character of its own (not a trail byte), or -1.
qsizetype lastClosingBracket(QByteArrayView line)
{
    qsizetype found = -1;
    for (qsizetype i = 0; i < line.size();) {
        const int len = charLength(line.data(), line.size(), i);
        if (len == 1 && line[i] == ']')
            found = i;
        i += len;
    }
    return found;
}

QByteArrayView unquoted(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

// One line of a file that is not blank, as the readers see it.
struct Line
{
    qsizetype at = 0; // where the line's text starts in the file's text: the line's identity
    bool isHeader = false;
    bool hasEquals = false;
    QByteArrayView name;  // section name for a header, key name for an entry
    QByteArrayView value; // text after '=' as it stands in the file (quotes kept)
};

// Steps through the lines of a text that are not blank, without copying any of it.
class LineScanner
{
public:
    explicit LineScanner(const QByteArray &text)
        : m_begin(text.constData()), m_next(m_begin), m_end(m_begin + text.size())
    {
    }

    bool next(Line &line)
    {
        while (m_next < m_end) {
            // A line ends at any run of CR and LF; neither can be the trail byte of a character.
            const char *eol = m_next;
            while (eol < m_end && *eol != '\r' && *eol != '\n')
                ++eol;
            const QByteArrayView text = trimmed(m_next, eol);
            m_next = eol;
            while (m_next < m_end && (*m_next == '\r' || *m_next == '\n'))
                ++m_next;
            if (!text.isEmpty()) {
                read(text, line);
                return true;
            }
        }
        return false;
    }

private:
    void read(QByteArrayView text, Line &line) const
    {
        line = Line();
        line.at = text.data() - m_begin;
        const qsizetype close = text.front() == '[' ? lastClosingBracket(text) : -1;
        if (close > 0) {
            line.isHeader = true;
            line.name = trimmed(text.data() + 1, text.data() + close);
            return;
        }
        // '=' is below the trail-byte range, so the first one found is a character of its own.
        const char *eq = static_cast<const char *>(std::memchr(text.data(), '=', size_t(text.size())));
        if (!eq) {
            line.name = text;
            return;
        }
        line.hasEquals = true;
        line.name = trimmedText(text.data(), eq);
        line.value = trimmedText(eq + 1, text.data() + text.size());
    }

    const char *m_begin;
    const char *m_next;
    const char *m_end;
};

void appendHeader(QByteArray &out, QByteArrayView name)
{
    out.append('[').append(name);
    // A name ending in a lone lead byte would take ']' for its trail byte and stop being a
    // header; a blank between them, which the readers trim, keeps them apart.
    if (endsInLoneLeadByte(name))
        out.append(' ');
    out.append("]\r\n", 3);
}

void appendEntry(QByteArray &out, QByteArrayView name, QByteArrayView value)
{
    out.append(name).append('=').append(value).append("\r\n", 2);
}

} // namespace

struct IniDocument::Location
{
    qsizetype line = -1;       // position of the key's first line in the first matching section
    bool hasEquals = false;    // of that line
    QByteArrayView value;      // of that line, as it stands in the text
    qsizetype sectionEnd = -1; // without such a line: where that section ends, -1 when the text has none
};

IniDocument IniDocument::parse(const QByteArray &fileBytes)
{
    IniDocument doc;
    DecodedIniFile decoded = DecodeIniFile(fileBytes);
    doc.m_text = std::move(decoded.text);
    doc.m_encoding = decoded.encoding;
    return doc;
}

IniDocument::Location IniDocument::locate(const QByteArray &section, const QByteArray &key) const
{
    const QByteArrayView wantedSection = trimmed(section), wantedKey = trimmed(key);
    Location found;
    bool inSection = false;
    LineScanner lines(m_text);
    Line line;
    while (lines.next(line)) {
        if (line.isHeader) {
            if (inSection) {
                found.sectionEnd = line.at;
                return found;
            }
            inSection = namesMatch(line.name, wantedSection);
        } else if (inSection && namesMatch(line.name, wantedKey)) {
            // A key line without '=' still counts as the key: it reads as the default and is
            // the line a write fills in.
            found.line = line.at;
            found.hasEquals = line.hasEquals;
            found.value = line.value;
            return found;
        }
    }
    if (inSection)
        found.sectionEnd = m_text.size();
    return found;
}

namespace {

// The first of the entries or sections added here with a name that matches `name`, or null.
template <typename Named>
auto findNamed(Named &items, const QByteArray &name) -> decltype(&items.front())
{
    const QByteArrayView wanted = trimmed(name);
    for (auto &item : items) {
        if (namesMatch(item.name, wanted))
            return &item;
    }
    return nullptr;
}

} // namespace

const QByteArray *IniDocument::editedValue(const Location &at, const QByteArray &section, const QByteArray &key) const
{
    if (at.line >= 0) {
        const auto edited = m_newValues.find(at.line);
        return edited == m_newValues.end() ? nullptr : &edited->second;
    }
    const std::vector<Entry> *entries = nullptr;
    if (at.sectionEnd >= 0) {
        const auto added = m_newEntries.find(at.sectionEnd);
        entries = added == m_newEntries.end() ? nullptr : &added->second;
    } else if (const Section *added = findNamed(m_newSections, section)) {
        entries = &added->entries;
    }
    const Entry *entry = entries ? findNamed(*entries, key) : nullptr;
    return entry ? &entry->value : nullptr;
}

QByteArray IniDocument::value(const QByteArray &section, const QByteArray &key, const QByteArray &defaultValue) const
{
    const Location at = locate(section, key);
    if (const QByteArray *edited = editedValue(at, section, key))
        return unquoted(*edited).toByteArray();
    return unquoted(at.hasEquals ? at.value : QByteArrayView(defaultValue)).toByteArray();
}

bool IniDocument::setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    const QByteArray written = QuoteIniValue(value);
    const Location at = locate(section, key);
    if (at.line >= 0) {
        const auto edited = m_newValues.find(at.line);
        const bool same = edited != m_newValues.end() ? edited->second == written
                                                      : at.hasEquals && at.value == QByteArrayView(written);
        if (!same)
            m_newValues[at.line] = written;
        return !same;
    }
    std::vector<Entry> *entries = nullptr;
    if (at.sectionEnd >= 0) {
        entries = &m_newEntries[at.sectionEnd];
    } else if (Section *added = findNamed(m_newSections, section)) {
        entries = &added->entries;
    } else {
        m_newSections.push_back({trimmed(section).toByteArray(), {}}); // the name as a reader sees it
        entries = &m_newSections.back().entries;
    }
    if (Entry *entry = findNamed(*entries, key)) {
        const bool same = entry->value == written;
        entry->value = written;
        return !same;
    }
    entries->push_back({trimmed(key).toByteArray(), written});
    return true;
}

bool IniDocument::isEmpty() const
{
    Line line;
    return !LineScanner(m_text).next(line) && m_newSections.empty();
}

QByteArray IniDocument::serialize() const
{
    // Room for the longest it can be, so that a large file is never copied as it grows: no line
    // comes out longer than it went in, but one of two characters ("a" LF) gains a CR.
    const auto addedSize = [](const std::vector<Entry> &entries) {
        qsizetype size = 0;
        for (const Entry &entry : entries)
            size += entry.name.size() + entry.value.size() + 3;
        return size;
    };
    qsizetype edits = 0;
    for (const auto &[at, value] : m_newValues)
        edits += value.size();
    for (const auto &[at, entries] : m_newEntries)
        edits += addedSize(entries);
    for (const Section &section : m_newSections)
        edits += section.name.size() + 5 + addedSize(section.entries);
    QByteArray out;
    out.reserve(m_text.size() + m_text.size() / 2 + 2 + edits);
    const auto appendAdded = [&](qsizetype sectionEnd) {
        const auto added = m_newEntries.find(sectionEnd);
        if (added != m_newEntries.end()) {
            for (const Entry &entry : added->second)
                appendEntry(out, entry.name, entry.value);
        }
    };
    LineScanner lines(m_text);
    Line line;
    while (lines.next(line)) {
        if (line.isHeader) {
            appendAdded(line.at);
            appendHeader(out, line.name);
        } else if (const auto edited = m_newValues.find(line.at); edited != m_newValues.end()) {
            appendEntry(out, line.name, edited->second);
        } else if (line.hasEquals) {
            appendEntry(out, line.name, line.value);
        } else {
            out.append(line.name).append("\r\n", 2);
        }
    }
    appendAdded(m_text.size());
    for (const Section &section : m_newSections) {
        appendHeader(out, section.name);
        for (const Entry &entry : section.entries)
            appendEntry(out, entry.name, entry.value);
    }
    return EncodeIniFile(out, m_encoding);
}

bool IsStorableIniValue(const QByteArray &value)
{
    for (char c : value) {
        if (c == '\r' || c == '\n' || c == '\0')
            return false;
    }
    return true;
}

QByteArray QuoteIniValue(const QByteArray &value)
{
    if (value.isEmpty())
        return value;
    const char first = value.front();
    const char last = value.back();
    const bool enclosed = value.size() >= 2 && (first == '"' || first == '\'') && last == first;
    if (isIniSpace(first) || isIniSpace(last) || enclosed)
        return '"' + value + '"';
    return value;
}
