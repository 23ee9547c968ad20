#include "SiteIdentity.h"

#include "UrlCompletion.h"

namespace {

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

QString SiteIdentity(const QString &url)
{
    if (url.trimmed().isEmpty())
        return QString();
    QUrl site = CompleteUrl(url);
    if (!site.isValid())
        return QString();
    // QUrl already lowers the scheme and the host (and brings a host to its IDNA form).
    if (site.port() != -1 && site.port() == defaultPort(site.scheme()))
        site.setPort(-1);
    if (!site.host().isEmpty() && site.path().isEmpty())
        site.setPath(QStringLiteral("/"));
    return site.toString(QUrl::FullyEncoded);
}
