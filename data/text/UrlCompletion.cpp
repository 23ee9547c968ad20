#include "UrlCompletion.h"

#include <QRegularExpression>

bool HasExplicitScheme(const QString &text)
{
    // Two letters at least, so that a Windows drive ("C://") is not taken for a scheme.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]+://"));
    return scheme.match(text.trimmed()).hasMatch();
}

QUrl CompleteUrl(const QString &text)
{
    const QString trimmed = text.trimmed();
    // QUrl::fromUserInput rescues an invalid "http://exa mple.jp" by putting another "http://" in
    // front, which opens host "http" instead: an address the user wrote out in full is taken as
    // written or not at all.
    if (HasExplicitScheme(trimmed))
        return QUrl(trimmed, QUrl::TolerantMode);
    return QUrl::fromUserInput(trimmed);
}

QString BrowserUrlText(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    QString out = text.mid(begin, end - begin);
    out.remove(u'\t').remove(u'\n').remove(u'\r');
    return out;
}

QString UrlScheme(const QString &text)
{
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.\\-]*):"));
    return scheme.match(text).captured(1).toLower();
}

bool IsWebScheme(const QString &scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp");
}

UrlHostSpan FindUrlHost(QStringView url)
{
    qsizetype hostStart = 0;
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]*:"));
    const QRegularExpressionMatch written = scheme.match(url);
    if (written.hasMatch()) {
        hostStart = written.capturedEnd();
        if (!url.mid(hostStart).startsWith(QLatin1String("//")))
            return {};
        hostStart += 2;
    }
    qsizetype authorityEnd = hostStart;
    while (authorityEnd < url.size() && !QStringView(u"/?#\\").contains(url.at(authorityEnd)))
        ++authorityEnd;
    const QStringView authority = url.mid(hostStart, authorityEnd - hostStart);
    const qsizetype at = authority.lastIndexOf(u'@');
    UrlHostSpan host{hostStart + at + 1, authorityEnd};
    const qsizetype colon = authority.lastIndexOf(u':');
    if (colon > at && !authority.contains(u']'))
        host.to = hostStart + colon;
    return host;
}

bool LacksHost(const QString &url)
{
    const QString trimmed = url.trimmed();
    return IsWebScheme(UrlScheme(trimmed)) && FindUrlHost(trimmed).isEmpty();
}
