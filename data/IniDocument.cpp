#include "IniDocument.h"

#include "CodePage.h"

#include <QString>

#include <cstring>

namespace {

// Whitespace as the profile functions see it; the ideographic space is not among it.
bool isIniSpace(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 0x09 && u <= 0x0D) || u == 0x20 || u == 0x1A;
}

using CodePage::charLength;
using CodePage::isLeadByte;

QByteArray trimmed(const char *begin, const char *end)
{
    while (begin < end && isIniSpace(*begin))
        ++begin;
    while (end > begin && isIniSpace(end[-1]))
        --end;
    return QByteArray(begin, end - begin);
}

// A name or value as the Windows functions hand it over: a C string, ending at a NUL.
// Cut before trimming, so that blanks in front of the NUL go too and the text reads the same
// once rewritten.
QByteArray trimmedText(const char *begin, const char *end)
{
    if (const char *nul = static_cast<const char *>(std::memchr(begin, '\0', size_t(end - begin))))
        end = nul;
    return trimmed(begin, end);
}

// Section and key names: ASCII letters without case, whole characters otherwise.
bool namesMatch(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    const char *p = a.constData();
    const char *q = b.constData();
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

bool endsInLoneLeadByte(const QByteArray &text)
{
    qsizetype last = -1;
    for (qsizetype i = 0; i < text.size(); i += charLength(text.constData(), text.size(), i))
        last = i;
    return last == text.size() - 1 && last >= 0 && isLeadByte(static_cast<unsigned char>(text[last]));
}

// Position of the last ']' that is a character of its own (not a trail byte), or -1.
qsizetype lastClosingBracket(const QByteArray &line)
{
    qsizetype found = -1;
    for (qsizetype i = 0; i < line.size();) {
        const int len = charLength(line.constData(), line.size(), i);
        if (len == 1 && line[i] == ']')
            found = i;
        i += len;
    }
    return found;
}

// A Unicode file's text in the ANSI code page. What the code page cannot hold becomes '?', one
// per UTF-16 unit, as the Windows conversion makes it: a file edited elsewhere then reads here
// as it reads there.
QByteArray toAnsi(const QString &text)
{
    QByteArray bytes;
    if (CodePage::fromText(text, bytes))
        return bytes;
    bytes.clear();
    QByteArray one;
    for (QChar c : text) // no character beyond the BMP is in the code page
        bytes += !c.isSurrogate() && CodePage::fromText(QString(c), one) ? one : QByteArray(1, '?');
    return bytes;
}

bool startsWithByteOrderMark(const QByteArray &bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

// The file's bytes in the ANSI code page, and the encoding to write them back in.
QByteArray decodeFile(const QByteArray &raw, IniDocument::Encoding &encoding)
{
    if (raw.startsWith("\xEF\xBB\xBF")) {
        encoding = IniDocument::Encoding::Utf8Bom;
        return toAnsi(QString::fromUtf8(raw.constData() + 3, raw.size() - 3));
    }
    if (raw.startsWith("\xFF\xFE") || raw.startsWith("\xFE\xFF")) {
        const bool little = raw.startsWith("\xFF\xFE");
        encoding = little ? IniDocument::Encoding::Utf16LeBom : IniDocument::Encoding::Utf16BeBom;
        QString text;
        text.resize((raw.size() - 2) / 2);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const auto a = static_cast<unsigned char>(raw[2 + 2 * i]);
            const auto b = static_cast<unsigned char>(raw[3 + 2 * i]);
            text[i] = QChar(little ? char16_t(a | (b << 8)) : char16_t((a << 8) | b));
        }
        return toAnsi(text);
    }
    encoding = IniDocument::Encoding::Ansi;
    return raw;
}

QByteArray encodeFile(const QByteArray &ansi, IniDocument::Encoding encoding)
{
    switch (encoding) {
    case IniDocument::Encoding::Ansi:
        // Text that starts like a byte-order mark (damaged lines behind blank ones) would be
        // read back as Unicode; a blank line first, which readers drop, keeps it code-page text.
        return startsWithByteOrderMark(ansi) ? "\r\n" + ansi : ansi;
    case IniDocument::Encoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + CodePage::toText(ansi).toUtf8();
    case IniDocument::Encoding::Utf16LeBom:
    case IniDocument::Encoding::Utf16BeBom: {
        const bool little = encoding == IniDocument::Encoding::Utf16LeBom;
        const QString text = CodePage::toText(ansi);
        QByteArray out(little ? "\xFF\xFE" : "\xFE\xFF", 2);
        out.reserve(2 + 2 * text.size());
        for (QChar c : text) {
            const char16_t u = c.unicode();
            const char hi = char(u >> 8), lo = char(u & 0xFF);
            out.append(little ? lo : hi).append(little ? hi : lo);
        }
        return out;
    }
    }
    return ansi;
}

} // namespace

IniDocument IniDocument::parse(const QByteArray &fileBytes)
{
    IniDocument doc;
    const QByteArray text = decodeFile(fileBytes, doc.m_encoding);
    const char *p = text.constData();
    const char *end = p + text.size();
    while (p < end) {
        // A line ends at any run of CR and LF; neither can be the trail byte of a character.
        const char *eol = p;
        while (eol < end && *eol != '\r' && *eol != '\n')
            ++eol;
        const QByteArray line = trimmed(p, eol);
        p = eol;
        while (p < end && (*p == '\r' || *p == '\n'))
            ++p;
        if (line.isEmpty())
            continue;

        Line parsed;
        const qsizetype close = line.startsWith('[') ? lastClosingBracket(line) : -1;
        if (close > 0) {
            parsed.isHeader = true;
            parsed.name = trimmed(line.constData() + 1, line.constData() + close);
        } else {
            // '=' is below the trail-byte range, so the first one found is a character of its own.
            const qsizetype eq = line.indexOf('=');
            if (eq < 0) {
                parsed.name = line;
            } else {
                parsed.hasEquals = true;
                parsed.name = trimmedText(line.constData(), line.constData() + eq);
                parsed.value = trimmedText(line.constData() + eq + 1, line.constData() + line.size());
            }
        }
        doc.m_lines.push_back(std::move(parsed));
    }
    return doc;
}

QByteArray IniDocument::serialize() const
{
    QByteArray out;
    qsizetype total = 0;
    for (const Line &line : m_lines)
        total += line.name.size() + line.value.size() + 4;
    out.reserve(total);
    for (const Line &line : m_lines) {
        if (line.isHeader) {
            out.append('[').append(line.name);
            // A name ending in a lone lead byte would take ']' for its trail byte and stop
            // being a header; a blank between them, which the readers trim, keeps them apart.
            if (endsInLoneLeadByte(line.name))
                out.append(' ');
            out.append(']');
        } else {
            out.append(line.name);
            if (line.hasEquals)
                out.append('=').append(line.value);
        }
        out.append("\r\n", 2);
    }
    return encodeFile(out, m_encoding);
}

int IniDocument::findSection(const QByteArray &section) const
{
    const QByteArray wanted = trimmed(section.constData(), section.constData() + section.size());
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].isHeader && namesMatch(m_lines[i].name, wanted))
            return int(i);
    }
    return -1;
}

int IniDocument::sectionEnd(int header) const
{
    size_t i = size_t(header) + 1;
    while (i < m_lines.size() && !m_lines[i].isHeader)
        ++i;
    return int(i);
}

int IniDocument::findKey(int header, const QByteArray &key) const
{
    const QByteArray wanted = trimmed(key.constData(), key.constData() + key.size());
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        // A key line without '=' still counts as the key: it reads as the default and is
        // the line a write fills in.
        if (!m_lines[size_t(i)].isHeader && namesMatch(m_lines[size_t(i)].name, wanted))
            return i;
    }
    return -1;
}

QByteArray IniDocument::value(const QByteArray &section, const QByteArray &key, const QByteArray &defaultValue) const
{
    const int header = findSection(section);
    const int at = header < 0 ? -1 : findKey(header, key);
    const bool found = at >= 0 && m_lines[size_t(at)].hasEquals;
    return UnquoteIniValue(found ? m_lines[size_t(at)].value : defaultValue);
}

bool IniDocument::setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    const QByteArray written = QuoteIniValue(value);
    int header = findSection(section);
    if (header < 0) {
        Line head;
        head.isHeader = true;
        head.name = trimmed(section.constData(), section.constData() + section.size()); // as a reader sees it
        m_lines.push_back(std::move(head));
        header = int(m_lines.size()) - 1;
    }
    const int at = findKey(header, key);
    if (at >= 0) {
        Line &line = m_lines[size_t(at)];
        if (line.hasEquals && line.value == written)
            return false;
        line.hasEquals = true;
        line.value = written;
        return true;
    }
    Line entry;
    entry.hasEquals = true;
    entry.name = trimmed(key.constData(), key.constData() + key.size());
    entry.value = written;
    m_lines.insert(m_lines.begin() + sectionEnd(header), std::move(entry));
    return true;
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

QByteArray UnquoteIniValue(const QByteArray &value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}
