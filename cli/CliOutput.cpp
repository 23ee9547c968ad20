#include "CliOutput.h"

#include "CodePage.h"
#include "SiteEntry.h"
#include "SiteRecord.h"

#include <cstdio>
#include <utility>

QByteArray EncodeOutput(const QString &text, OutputEncoding encoding)
{
    if (encoding == OutputEncoding::Utf8)
        return text.toUtf8();
    QByteArray bytes;
    CodePage::fromText(text, bytes);
    return bytes;
}

QByteArray EncodeRegisterBytes(const QByteArray &bytes, OutputEncoding encoding)
{
    return encoding == OutputEncoding::Cp932 ? bytes : CodePage::toText(bytes).toUtf8();
}

namespace {
QString escapeTsv(const QString &field)
{
    QString out;
    out.reserve(field.size());
    for (QChar c : field) {
        switch (c.unicode()) {
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        default: out += c;
        }
    }
    return out;
}
} // namespace

QString RecordAsTsv(const SiteRecord &record)
{
    const SiteFields f = DecodeSiteFields(record);
    const QString tab = QStringLiteral("\t");
    return escapeTsv(f.name) + tab + escapeTsv(f.url) + tab + escapeTsv(f.keyword1) + tab + escapeTsv(f.keyword2)
        + tab + escapeTsv(f.keyword3) + tab + escapeTsv(f.content);
}

namespace {
QString jsonString(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'"': out += QLatin1String("\\\""); break;
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}
} // namespace

QString RecordAsJson(const SiteRecord &record)
{
    // Keys in field order; QJsonObject would sort them.
    const SiteFields f = DecodeSiteFields(record);
    const std::pair<const char *, const QString *> members[] = {
        {"name", &f.name},         {"url", &f.url},           {"keyword1", &f.keyword1},
        {"keyword2", &f.keyword2}, {"keyword3", &f.keyword3}, {"content", &f.content},
    };
    QString out = QStringLiteral("{");
    for (const auto &[key, value] : members) {
        if (out.size() > 1)
            out += QLatin1Char(',');
        out += jsonString(QString::fromLatin1(key)) + QLatin1Char(':') + jsonString(*value);
    }
    return out + QLatin1Char('}');
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
