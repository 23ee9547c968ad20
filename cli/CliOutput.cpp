#include "CliOutput.h"

#include <QDateTime>

#include "CodePage.h"
#include "SiteRecord.h"
#include "SiteTexts.h"

#include <algorithm>
#include <cstdio>
#include <utility>

QByteArray EncodeRegisterBytes(const QByteArray &bytes, OutputEncoding encoding)
{
    return encoding == OutputEncoding::Cp932 ? bytes : CodePage::toText(bytes).toUtf8();
}

namespace {

// The escape of one ASCII character, or "" when it stands as it is.
using Escape = QByteArray (*)(char16_t);

// Characters a terminal acts on rather than shows: C0 but for the tab and line ends a format
// uses, and C1 (which UTF-8 carries as two bytes). DEL does nothing on a terminal, and a CP932
// byte pair the code page cannot read may end in one: it stays.
bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x80 && c < 0xa0);
}

QByteArray hexEscape(char16_t c)
{
    return QByteArrayLiteral("\\x") + QByteArray::number(int(c), 16).rightJustified(2, '0');
}

QByteArray controlEscape(char16_t c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' || !isControl(c) ? QByteArray() : hexEscape(c);
}

// In HTML a character reference is the same text to a browser, and nothing to a terminal.
QByteArray htmlControlEscape(char16_t c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' || !isControl(c) ? QByteArray()
                                                                    : "&#" + QByteArray::number(int(c)) + ';';
}

QByteArray tsvEscape(char16_t c)
{
    switch (c) {
    case u'\\': return QByteArrayLiteral("\\\\");
    case u'\t': return QByteArrayLiteral("\\t");
    case u'\n': return QByteArrayLiteral("\\n");
    case u'\r': return QByteArrayLiteral("\\r");
    default: return isControl(c) ? hexEscape(c) : QByteArray();
    }
}

QByteArray jsonEscape(char16_t c)
{
    switch (c) {
    case u'"': return QByteArrayLiteral("\\\"");
    case u'\\': return QByteArrayLiteral("\\\\");
    case u'\n': return QByteArrayLiteral("\\n");
    case u'\r': return QByteArrayLiteral("\\r");
    case u'\t': return QByteArrayLiteral("\\t");
    default: return isControl(c) ? QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0')).toLatin1() : QByteArray();
    }
}

// The C1 control a UTF-8 sequence at `i` stands for, or 0.
char16_t c1At(const QByteArray &utf8, qsizetype i)
{
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
    return lead == 0xc2 && next >= 0x80 && next < 0xa0 ? char16_t(next) : 0;
}

// Text already in the output's encoding with its ASCII characters (and C1 controls in UTF-8)
// escaped. Neither a UTF-8 sequence nor a CP932 double-byte character holds a byte below 0x80
// except a CP932 trail byte, so escaping works on the bytes, whole CP932 characters kept: a trail
// byte 0x5C (表, ソ) is never escaped, and in CP932 bytes the code page cannot decode come out
// as stored.
QByteArray escapeBytes(const QByteArray &source, bool cp932, Escape escape)
{
    QByteArray out; // made only once something is escaped: the usual case copies nothing
    bool changed = false;
    for (qsizetype i = 0; i < source.size();) {
        const auto byte = static_cast<unsigned char>(source[i]);
        const char16_t c1 = byte < 0x80 || cp932 ? 0 : c1At(source, i);
        const QByteArray escaped = byte < 0x80 ? escape(byte) : c1 ? escape(c1) : QByteArray();
        const qsizetype length = !escaped.isEmpty() ? (byte < 0x80 ? 1 : 2)
            : cp932                                ? CodePage::charLength(source.constData(), source.size(), i)
                                                   : 1;
        if (!escaped.isEmpty() && !changed) {
            out = source.left(i);
            out.reserve(source.size() + 16);
            changed = true;
        }
        if (changed) {
            if (escaped.isEmpty())
                out.append(source.constData() + i, length);
            else
                out += escaped;
        }
        i += length;
    }
    return changed ? out : source;
}

// A field for output, in the encoding asked for, escaped.
QByteArray escapedField(const QByteArray &bytes, OutputEncoding encoding, Escape escape)
{
    const bool cp932 = encoding == OutputEncoding::Cp932;
    return escapeBytes(cp932 ? bytes : CodePage::toText(bytes).toUtf8(), cp932, escape);
}

} // namespace

QByteArray RecordAsTsv(const SiteRecord &record, OutputEncoding encoding)
{
    QByteArray out;
    for (const SiteText text : kSiteTexts) {
        if (text != kSiteTexts[0])
            out += '\t';
        out += escapedField(record.*text, encoding, tsvEscape);
    }
    return out;
}

QByteArray RecordAsJson(const SiteRecord &record, int number, OutputEncoding encoding)
{
    // The member names, in the order of kSiteTexts.
    const char *const keys[] = {"name", "url", "keyword1", "keyword2", "keyword3", "content"};
    static_assert(std::size(keys) == kSiteTexts.size());
    QByteArray out = "{\"id\":" + QByteArray::number(number);
    for (std::size_t i = 0; i < kSiteTexts.size(); ++i) {
        out += ',';
        out += '"' + QByteArray(keys[i]) + "\":\"" + escapedField(record.*kSiteTexts[i], encoding, jsonEscape) + '"';
    }
    const auto date = [](std::int64_t seconds) { return seconds == 0 ? QByteArray("null") : '"' + IsoDate(seconds) + '"'; };
    return out + ",\"added\":" + date(record.GetAdded()) + ",\"changed\":" + date(record.GetChanged()) + '}';
}

QByteArray IsoDate(std::int64_t seconds)
{
    return seconds == 0 ? QByteArray() : QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate).toLatin1();
}

QByteArray RecordLine(const SiteRecord &record, int number, bool json, bool ids, OutputEncoding encoding, bool dates)
{
    if (json)
        return RecordAsJson(record, number, encoding) + '\n';
    const QByteArray when = dates ? '\t' + IsoDate(record.GetAdded()) + '\t' + IsoDate(record.GetChanged()) : QByteArray();
    return (ids ? QByteArray::number(number) + '\t' : QByteArray()) + RecordAsTsv(record, encoding) + when + '\n';
}

QByteArray TsvField(const QByteArray &bytes, OutputEncoding encoding)
{
    return escapedField(bytes, encoding, tsvEscape);
}

QByteArray JsonField(const QByteArray &bytes, OutputEncoding encoding)
{
    return escapedField(bytes, encoding, jsonEscape);
}

QByteArray TerminalText(const QByteArray &text, OutputEncoding encoding)
{
    return escapeBytes(text, encoding == OutputEncoding::Cp932, controlEscape);
}

QByteArray TerminalHtml(const QByteArray &html, OutputEncoding encoding)
{
    return escapeBytes(html, encoding == OutputEncoding::Cp932, htmlControlEscape);
}

bool WriteOut(const QByteArray &bytes)
{
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    return std::fflush(stdout) == 0 && written;
}

void WriteError(const QString &line)
{
    // Messages name files and items that may hold anything.
    const QByteArray bytes = TerminalText(line.toUtf8(), OutputEncoding::Utf8) + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}
