#include "CliOutput.h"

#include "CodePage.h"
#include "SiteRecord.h"

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

QByteArray tsvEscape(char16_t c)
{
    switch (c) {
    case u'\\': return QByteArrayLiteral("\\\\");
    case u'\t': return QByteArrayLiteral("\\t");
    case u'\n': return QByteArrayLiteral("\\n");
    case u'\r': return QByteArrayLiteral("\\r");
    default: return {};
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
    default: return c < 0x20 ? QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0')).toLatin1() : QByteArray();
    }
}

// A field for output, in the encoding asked for, with its ASCII characters escaped. Neither a
// UTF-8 sequence nor a CP932 double-byte character holds a byte below 0x80 except a CP932 trail
// byte, so escaping works on the bytes, whole CP932 characters kept: a trail byte 0x5C (表, ソ)
// is never escaped, and in CP932 bytes the code page cannot decode come out as stored.
QByteArray escapedField(const QByteArray &bytes, OutputEncoding encoding, Escape escape)
{
    const bool cp932 = encoding == OutputEncoding::Cp932;
    const QByteArray source = cp932 ? bytes : CodePage::toText(bytes).toUtf8();
    const bool plain = std::none_of(source.begin(), source.end(), [escape](char c) {
        return static_cast<unsigned char>(c) < 0x80 && !escape(static_cast<unsigned char>(c)).isEmpty();
    });
    if (plain) // the usual case: nothing to escape
        return source;
    QByteArray out;
    out.reserve(source.size());
    for (qsizetype i = 0; i < source.size();) {
        const int length = cp932 ? CodePage::charLength(source.constData(), source.size(), i) : 1;
        const auto byte = static_cast<unsigned char>(source[i]);
        const QByteArray escaped = length == 1 && byte < 0x80 ? escape(byte) : QByteArray();
        if (escaped.isEmpty())
            out.append(source.constData() + i, length);
        else
            out += escaped;
        i += length;
    }
    return out;
}

} // namespace

QByteArray RecordAsTsv(const SiteRecord &record, OutputEncoding encoding)
{
    const QByteArray *fields[] = {&record.m_name,     &record.m_url,      &record.m_keyword1,
                                  &record.m_keyword2, &record.m_keyword3, &record.m_content};
    QByteArray out;
    for (const QByteArray *field : fields) {
        if (field != fields[0])
            out += '\t';
        out += escapedField(*field, encoding, tsvEscape);
    }
    return out;
}

QByteArray RecordAsJson(const SiteRecord &record, int number, OutputEncoding encoding)
{
    const std::pair<const char *, const QByteArray *> members[] = {
        {"name", &record.m_name},         {"url", &record.m_url},           {"keyword1", &record.m_keyword1},
        {"keyword2", &record.m_keyword2}, {"keyword3", &record.m_keyword3}, {"content", &record.m_content},
    };
    QByteArray out = "{\"id\":" + QByteArray::number(number);
    for (const auto &[key, value] : members) {
        out += ',';
        out += '"' + QByteArray(key) + "\":\"" + escapedField(*value, encoding, jsonEscape) + '"';
    }
    return out + '}';
}

bool WriteOut(const QByteArray &bytes)
{
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    return std::fflush(stdout) == 0 && written;
}

void WriteError(const QString &line)
{
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}
