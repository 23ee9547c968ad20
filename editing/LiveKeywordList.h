#pragma once

#include "KeywordList.h"

#include <QHash>
#include <QObject>

#include <array>
#include <map>
#include <vector>

class SiteRecord;
class SiteRegister;

// The register's keyword list (BuildKeywordList) kept as the register changes, record by record: a
// site registered, updated or deleted costs the few places its own keywords hold, not a walk of
// every site, and the list is told changed only when its keywords or their order did.
class LiveKeywordList : public QObject
{
    Q_OBJECT
public:
    explicit LiveKeywordList(const SiteRegister &siteRegister, QObject *parent = nullptr);

    // kAllKeywords, then each keyword in the order it first appears, as BuildKeywordList gives it.
    KeywordList list() const;

signals:
    // The list is another than the last one told (or than the one at the start).
    void changed();

private:
    using Keywords = std::array<QByteArray, 3>;

    void rebuild();
    void take(int number, const Keywords &keywords);
    void drop(int number, const Keywords &keywords);
    void follow(int number, const Keywords *now);
    void settle();

    const SiteRegister &m_register;
    // Each record's keywords as last seen, by number: what a change or a removal takes away.
    QHash<int, Keywords> m_held;
    // Each keyword's places (number × 3 + field), ascending; its first place orders it.
    QHash<QByteArray, std::vector<qint64>> m_places;
    std::map<qint64, QByteArray> m_order;
    bool m_moved = false;
    KeywordList m_told;
};
