#pragma once

#include "IoResult.h"
#include "LinkStatus.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>

#include <vector>

class RegisterFolder;
class SiteList;

// A link's last check: its result and when it was made.
struct CheckedLink
{
    LinkResult result;
    QDateTime checkedAt; // UTC, to the second
};

// The last check of every registered URL, kept beside the register in a file of its own
// ("linkcheck.tsv"), so the data files are never touched for it. Keyed by the URL's register
// bytes: sites sharing a URL share its result. The file is for this program alone; a file it
// cannot read in full is taken as no results at all, never as an error of the register.
class LinkResults
{
public:
    static const QString kFileName;

    const CheckedLink *find(const QByteArray &url) const;
    void record(const QByteArray &url, const CheckedLink &checked) { m_links.insert(url, checked); }
    qsizetype size() const { return m_links.size(); }

    // The file's content, holding only the URLs `sites` still has, in register order.
    QByteArray toBytes(const SiteList &sites) const;
    // Reads a file's content; false (and nothing read) when any of it is damaged.
    bool fromBytes(const QByteArray &bytes);

    // Loads the file from the register directory. A missing file gives no results; one that
    // cannot be read or is damaged gives none either, and false. Conflict copies a sync tool left
    // beside it are merged in (the newest result of each URL), the file written, and they go.
    bool load() { return load(defaultPath()); }
    bool load(const QString &path);
    // Replaces the file atomically, dropping URLs the register no longer has.
    IoResult save(const SiteList &sites) const { return save(defaultPath(), sites); }
    IoResult save(const QString &path, const SiteList &sites) const;

    // The file in the register directory.
    static QString defaultPath();

private:
    QByteArray linesOf(const std::vector<QByteArray> &urls) const;
    void takeInCopies(RegisterFolder &folder, const QString &name);

    QHash<QByteArray, CheckedLink> m_links;
};
