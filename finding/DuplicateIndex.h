#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

class SiteList;

// Which records carry which site (SiteIdentity), so that registering a URL can say at once
// which record has it already. Records are known by their file numbers, which stay theirs
// while rows come and go, so a change costs one lookup whatever the register's size.
class DuplicateIndex
{
public:
    DuplicateIndex() = default;
    explicit DuplicateIndex(const SiteList &sites);

    // The register's record `number` now has URL `url` (register bytes); one it had before is
    // forgotten.
    void set(int number, const QByteArray &url);
    void remove(int number);

    // The lowest-numbered record other than `except` (the record being updated, or 0) whose URL
    // leads to the same site as `url`, which comes first in the register; 0 when there is none.
    int find(const QByteArray &url, int except = 0) const;

private:
    QHash<QString, std::vector<int>> m_numbersBySite; // each vector ascending
    QHash<int, QString> m_siteOf;
};
