#include "SiteIdentityNote.h"

#include "CodePage.h"
#include "SiteDigestNote.h"
#include "SiteIdentity.h"

#include <QCryptographicHash>
#include <QtEndian>

void InstallSiteIdentityNote()
{
    SiteDigestNote::install(&SiteIdentityDigest);
}

quint64 SiteIdentityDigest(const QByteArray &url)
{
    const QString site = SiteIdentity(CodePage::toText(url));
    if (site.isEmpty())
        return 0;
    const QByteArray digest = QCryptographicHash::hash(site.toUtf8(), QCryptographicHash::Sha1);
    return qFromLittleEndian<quint64>(digest.constData()) | 1; // never 0, which is "no site"
}
