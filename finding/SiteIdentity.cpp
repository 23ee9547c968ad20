#include "SiteIdentity.h"

#include <QRegularExpression>

namespace {

// "scheme://…" written out. Two letters at least, so that a Windows drive ("C://") is not taken
// for a scheme.
bool hasExplicitScheme(const QString &text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]+://"));
    return scheme.match(text).hasMatch();
}

// The ports browsers leave out of an address, by scheme.
int defaultPort(const QString &scheme)
{
    if (scheme == u"http" || scheme == u"ws")
        return 80;
    if (scheme == u"https" || scheme == u"wss")
        return 443;
    if (scheme == u"ftp")
        return 21;
    return -1;
}

} // namespace

QUrl CompleteSiteUrl(const QString &text)
{
    const QString trimmed = text.trimmed();
    // QUrl::fromUserInput rescues an invalid "http://exa mple.jp" by putting another "http://" in
    // front, which names host "http" instead: an address written out in full is taken as
    // written or not at all.
    if (hasExplicitScheme(trimmed))
        return QUrl(trimmed, QUrl::TolerantMode);
    return QUrl::fromUserInput(trimmed);
}

QString SiteIdentity(const QString &url)
{
    if (url.trimmed().isEmpty())
        return QString();
    QUrl site = CompleteSiteUrl(url);
    if (!site.isValid())
        return QString();
    // QUrl already lowers the scheme and the host (and brings a host to its IDNA form).
    if (site.port() != -1 && site.port() == defaultPort(site.scheme()))
        site.setPort(-1);
    if (!site.host().isEmpty() && site.path().isEmpty())
        site.setPath(QStringLiteral("/"));
    return site.toString(QUrl::FullyEncoded);
}
