// The register's URLs: stored in ASCII, the form every program reads alike (punycode host,
// percent-encoded UTF-8), and shown to people as the characters they stand for.
#include "CodePage.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace {

// Appends `text` with every character beyond ASCII percent-encoded as UTF-8.
QByteArray &percentEncoded(QByteArray &out, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
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

QByteArray urlFromText(const QString &url)
{
    if (std::all_of(url.begin(), url.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return url.toLatin1();
    // The host lies between "scheme://" (or the start, for "例え.jp/page") and the first of
    // "/?#\", after any "user@" and before any ":port".
    qsizetype hostStart = 0;
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]*:"));
    const QRegularExpressionMatch written = scheme.match(url);
    if (written.hasMatch()) {
        hostStart = written.capturedEnd();
        if (QStringView(url).mid(hostStart).startsWith(QLatin1String("//")))
            hostStart += 2;
        else
            hostStart = -1; // "mailto:…" has no host
    }
    QByteArray out;
    if (hostStart < 0)
        return percentEncoded(out, url);
    qsizetype authorityEnd = hostStart;
    while (authorityEnd < url.size() && !QStringView(u"/?#\\").contains(url.at(authorityEnd)))
        ++authorityEnd;
    const QStringView authority = QStringView(url).mid(hostStart, authorityEnd - hostStart);
    const qsizetype at = authority.lastIndexOf(u'@');
    qsizetype hostFrom = hostStart + at + 1;
    qsizetype hostTo = authorityEnd;
    const qsizetype colon = authority.lastIndexOf(u':');
    if (colon > at && !authority.contains(u']'))
        hostTo = hostStart + colon;
    percentEncoded(out, url.left(hostFrom));
    const QString host = url.mid(hostFrom, hostTo - hostFrom);
    const QByteArray ace = QUrl::toAce(host);
    if (ace.isEmpty() && !host.isEmpty())
        percentEncoded(out, host);
    else
        out += ace;
    return percentEncoded(out, url.mid(hostTo));
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
