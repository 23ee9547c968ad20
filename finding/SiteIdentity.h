#pragma once

#include <QString>

// The site a URL leads to, as browsers compare addresses: scheme and host without regard to
// case, the scheme's default port dropped, an empty path the same as "/", and the rest as
// written. Two URLs lead to the same site when their identities are equal; a URL that leads
// nowhere (empty, or not a URL) has an empty identity, which is no site's.
QString SiteIdentity(const QString &url);
