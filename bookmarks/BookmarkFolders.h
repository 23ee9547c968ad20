#pragma once

#include "Bookmark.h"
#include "HtmlTokenizer.h"

#include <QList>
#include <QString>

#include <vector>

// The <DL> levels a bookmark file has open. Only the folders a person named count for keywords;
// each level points at the nearest such folder at or above it, so a link's folders are found
// without walking the levels, and nesting costs no stack.
class BookmarkFolders
{
public:
    // A level opens; `name` is the folder's name when a person named it, empty otherwise;
    // `browsersOwn` when it is one of the browser's own folders (BookmarkFolders::isBrowsersOwn).
    void open(const QString &name, bool browsersOwn = false);
    // The innermost level ends; nothing happens when none is open.
    void close();
    bool isEmpty() const { return m_levels.empty(); }
    // Gives `bookmark` the named folders around it, nearest first, how many more there are, and
    // which they are; counts it where it stands.
    void place(Bookmark &bookmark);
    // Whether the file's top level holds no link and begins with a folder of the browser's own.
    bool topFoldersAreBrowsers() const { return m_firstTopIsBrowsers && m_topLinks == 0; }

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
    // The named levels open, outermost first (Bookmark::kOuterFolders of them), each by a number
    // no other folder of the file has, and the level the outermost stands at.
    QList<int> m_outer;
    int m_outerLevel = -1;
    int m_folders = 0;
    int m_topEntries = 0; // links and folders of the top level so far
    int m_topLinks = 0;
    bool m_firstTopIsBrowsers = false;
};
