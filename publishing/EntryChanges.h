#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// How a page's sites differ between what it holds and what a publish writes, by URL: a site whose
// entries are all alike is unchanged, one whose entries differ is changed, and one on one side only
// added or removed. A site listed under several keywords counts once.
struct SiteChanges
{
    int added = 0;
    int removed = 0;
    int changed = 0;
    int unchanged = 0;
};

// The entries of list regions as a publish writes them (an anchor line "<A href="URL">…", with the
// content line after it in the mode name-and-content) compared by URL; headings, tables of contents
// and section tags between them are no entries.
SiteChanges CompareEntries(const std::vector<QByteArrayView> &before, const std::vector<QByteArrayView> &after);
