#pragma once

#include <QString>
#include <QStringList>

// A bookmark's TAGS as kept: the first tags in order (Bookmark::kTagNames at most, trailing empty
// ones dropped), and how many more there were.
struct BookmarkTags
{
    QStringList kept;
    int more = 0;
};

// Splits a TAGS attribute, decoded from the file but with its references still in it: split
// before references are decoded, so that a tag may hold "&#44;". Tags beyond the first are only
// counted (a list of nothing but commas once cost 65 times its size as empty strings).
BookmarkTags SplitBookmarkTags(const QString &all);
