#pragma once

#include <QByteArray>

// The note of the register's sites (SiteDigestNote, kept by every write of the register) holds a
// digest of the site each record's URL leads to (SiteIdentity); this layer knows what a site is,
// and tells the register's one door once, when a program starts.
void InstallSiteIdentityNote();

// The digest of a URL's site in the note; 0 for a URL that leads to no site.
quint64 SiteIdentityDigest(const QByteArray &url);
