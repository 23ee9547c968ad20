#include "EntryChanges.h"

#include <QHash>

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

// Each URL's entries, as spans of the regions (an entry's lines stand together).
using Entries = QHash<QByteArrayView, std::vector<QByteArrayView>>;

void collect(QByteArrayView region, Entries &entries)
{
    QByteArrayView open; // the URL of the entry the next lines belong to, and where it starts
    qsizetype openedAt = -1;
    qsizetype at = 0;
    while (at < region.size()) {
        qsizetype end = region.indexOf('\n', at);
        end = end < 0 ? region.size() : end + 1;
        const QByteArrayView line = region.sliced(at, end - at);
        if (line.startsWith(kAnchor)) {
            const qsizetype close = line.indexOf("\">", kAnchor.size());
            open = line.sliced(kAnchor.size(), (close < 0 ? line.size() : close) - kAnchor.size());
            openedAt = at;
            entries[open].push_back(line);
        } else if (isStructure(line)) {
            openedAt = -1;
        } else if (openedAt >= 0) {
            entries[open].back() = region.sliced(openedAt, end - openedAt);
        }
        at = end;
    }
}

} // namespace

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
