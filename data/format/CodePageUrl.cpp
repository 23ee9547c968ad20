// The register's URLs: stored in ASCII, the form every program reads alike (punycode host,
// percent-encoded UTF-8), and shown to people as the characters they stand for.
#include "CodePage.h"
#include "UrlCompletion.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace {

// An ASCII character no URL may hold as it is: a control character, a blank, and " < > ` { },
// which end or break the address where it is written (an href, a mail, a line of text).
// Browsers send them percent-encoded; | ^ and \ they send as typed, and so they stay.
bool mayNotStand(char16_t c)
{
    return c <= 0x20 || c == 0x7F || c == u'"' || c == u'<' || c == u'>' || c == u'`' || c == u'{' || c == u'}';
}

bool needsEncoding(QChar c)
{
    return c.unicode() >= 0x80 || mayNotStand(c.unicode());
}

// Appends `text` with every character a URL may not hold percent-encoded, as UTF-8.
QByteArray &percentEncoded(QByteArray &out, QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!needsEncoding(c)) {
            out += char(c.unicode());
            continue;
        }
        const qsizetype length = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        out += text.mid(i, length).toUtf8().toPercentEncoding();
        i += length - 1;
    }
    return out;
}

} // namespace

namespace CodePage {

QByteArray urlFromText(const QString &text)
{
    // As a browser reads it: what stands around the address, and tabs and line breaks in it, are
    // no part of it.
    const QString url = BrowserUrlText(text);
    if (std::none_of(url.begin(), url.end(), needsEncoding))
        return url.toLatin1();
    QByteArray out;
    const UrlHostSpan host = FindUrlHost(url);
    if (host.from < 0)
        return percentEncoded(out, url); // "mailto:…" has no host
    percentEncoded(out, QStringView(url).left(host.from));
    const QString name = url.mid(host.from, host.to - host.from);
    const QByteArray ace = QUrl::toAce(name);
    if (ace.isEmpty() && !name.isEmpty())
        percentEncoded(out, name);
    else
        out += ace;
    return percentEncoded(out, QStringView(url).mid(host.to));
}

QString urlToDisplayText(const QByteArray &url)
{
    static const QRegularExpression encodedByte(QStringLiteral("%[89A-Fa-f][0-9A-Fa-f]"));
    const bool encodedBeyondAscii = url.contains("xn--") || url.contains("XN--")
        || encodedByte.match(QString::fromLatin1(url)).hasMatch();
    if (!encodedBeyondAscii || std::any_of(url.begin(), url.end(), [](char b) { return b & 0x80; }))
        return toText(url);
    const QUrl parsed = QUrl::fromEncoded(url, QUrl::StrictMode);
    return parsed.isValid() ? parsed.toString() : toText(url);
}

} // namespace CodePage
