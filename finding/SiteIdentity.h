#pragma once

#include <QString>
#include <QUrl>

// Completes what was typed as a URL the way the browser launcher does before opening it: an
// address written out with its scheme is taken as written, anything else as a browser's address
// bar would take it ("example.jp" is http://example.jp).
QUrl CompleteSiteUrl(const QString &text);

// The site a URL leads to, as browsers compare addresses: scheme and host without regard to
// case, the scheme's default port dropped, an empty path the same as "/", and the rest as
// written. Two URLs lead to the same site when their identities are equal; a URL that leads
// nowhere (empty, or not a URL) has an empty identity, which is no site's.
QString SiteIdentity(const QString &url);
