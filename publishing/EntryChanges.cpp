#include "EntryChanges.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

constexpr QByteArrayView kAnchor = "<A href=\"";

// Lines a region holds between entries (see ListRegionCode).
bool isStructure(QByteArrayView line)
{
    for (QByteArrayView start : {"<section", "</section", "<h", "</h", "<nav", "</nav", "<ul", "</ul", "<li"}) {
        if (line.startsWith(start))
            return true;
    }
    return false;
}

using Entries = QHash<QByteArray, std::vector<QByteArray>>;

void collect(QByteArrayView region, Entries &entries)
{
    QByteArray open; // the URL of the entry the next lines belong to
    bool inEntry = false;
    qsizetype at = 0;
    while (at < region.size()) {
        qsizetype end = region.indexOf('\n', at);
        if (end < 0)
            end = region.size();
        QByteArrayView line = region.sliced(at, end - at);
        if (line.endsWith('\r'))
            line.chop(1);
        at = end + 1;
        if (line.startsWith(kAnchor)) {
            const qsizetype close = line.indexOf("\">", kAnchor.size());
            const QByteArray url = line.sliced(kAnchor.size(), (close < 0 ? line.size() : close) - kAnchor.size()).toByteArray();
            entries[url].push_back(line.toByteArray());
            open = url;
            inEntry = true;
        } else if (isStructure(line)) {
            inEntry = false;
        } else if (inEntry) {
            QByteArray &entry = entries[open].back();
            entry += '\n';
            entry += line;
        }
    }
}

} // namespace

SiteChanges &SiteChanges::operator+=(const SiteChanges &other)
{
    added += other.added;
    removed += other.removed;
    changed += other.changed;
    unchanged += other.unchanged;
    return *this;
}

SiteChanges CompareEntries(const std::vector<QByteArrayView> &before, const std::vector<QByteArrayView> &after)
{
    Entries was, is;
    for (QByteArrayView region : before)
        collect(region, was);
    for (QByteArrayView region : after)
        collect(region, is);
    SiteChanges changes;
    for (auto it = is.begin(); it != is.end(); ++it) {
        const auto old = was.find(it.key());
        if (old == was.end()) {
            ++changes.added;
            continue;
        }
        std::sort(it->begin(), it->end());
        std::sort(old->begin(), old->end());
        ++(*it == *old ? changes.unchanged : changes.changed);
    }
    for (auto it = was.cbegin(); it != was.cend(); ++it)
        changes.removed += !is.contains(it.key());
    return changes;
}
