#include "CliOutput.h"

#include "CodePage.h"
#include "SiteRecord.h"

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

// A field for output. UTF-8: decoded, then escaped. CP932: escaped on the bytes themselves,
// whole characters kept, so that a trail byte such as 0x5C (表, ソ) is never escaped and bytes
// the code page cannot decode still come out as they are stored.
QByteArray escapedField(const QByteArray &bytes, OutputEncoding encoding, Escape escape)
{
    QByteArray out;
    if (encoding == OutputEncoding::Utf8) {
        QString text;
        for (QChar c : CodePage::toText(bytes)) {
            const QByteArray escaped = c.unicode() < 0x80 ? escape(c.unicode()) : QByteArray();
            text += escaped.isEmpty() ? QString(c) : QString::fromLatin1(escaped);
        }
        return text.toUtf8();
    }
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = CodePage::charLength(bytes.constData(), bytes.size(), i);
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const QByteArray escaped = length == 1 && byte < 0x80 ? escape(byte) : QByteArray();
        out += escaped.isEmpty() ? bytes.mid(i, length) : escaped;
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

QByteArray RecordAsJson(const SiteRecord &record, OutputEncoding encoding)
{
    const std::pair<const char *, const QByteArray *> members[] = {
        {"name", &record.m_name},         {"url", &record.m_url},           {"keyword1", &record.m_keyword1},
        {"keyword2", &record.m_keyword2}, {"keyword3", &record.m_keyword3}, {"content", &record.m_content},
    };
    QByteArray out = "{";
    for (const auto &[key, value] : members) {
        if (out.size() > 1)
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
