#pragma once

#include "CliOutput.h"

#include <QByteArray>
#include <QSet>
#include <QString>

class RegisterFolder;
class SiteList;

// Whether a bookmark's URL (register bytes) is in the register as loaded. The whole duplicate rule
// of an import lives here, so that a looser comparison changes this one place.
class KnownUrls
{
public:
    explicit KnownUrls(const SiteList &sites);
    bool contains(const QByteArray &url) const { return m_urls.contains(url); }

private:
    QSet<QByteArray> m_urls;
};

// sitekanri-cli import FILE ("-": standard input): every new bookmark of the file added as one
// operation, then the summary on standard output in `encoding`.
int RunImport(RegisterFolder &folder, const QString &file, OutputEncoding encoding);
// sitekanri-cli export [FILE]: the register as a bookmark file in UTF-8, replacing FILE whole, or
// on standard output when there is no FILE (or it is "-").
int RunExport(RegisterFolder &folder, const QString &file);
