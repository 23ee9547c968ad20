#pragma once

#include "Bookmark.h"
#include "HtmlTokenizer.h"

#include <QString>

#include <vector>

// The <DL> levels a bookmark file has open. Only the folders a person named count for keywords;
// each level points at the nearest such folder at or above it, so a link's folders are found
// without walking the levels, and nesting costs no stack.
class BookmarkFolders
{
public:
    // A level opens; `name` is the folder's name when a person named it, empty otherwise.
    void open(const QString &name);
    // The innermost level ends; nothing happens when none is open.
    void close();
    bool isEmpty() const { return m_levels.empty(); }
    // Gives `bookmark` the named folders around it, nearest first, and how many more there are.
    void place(Bookmark &bookmark) const;

    // Whether an <H3> with these attributes is one of the browsers' own top folders (toolbar,
    // other bookmarks), which say where a link sat, not what it is about: they give no keyword.
    static bool isBrowsersOwn(const std::vector<HtmlTokenizer::Attribute> &attributes);

private:
    struct Level
    {
        QString name;
        int nearestNamed;
        int namedCount;
    };
    std::vector<Level> m_levels;
};
