#pragma once

#include <QString>
#include <QStringList>

// One link of a bookmark file, as the file states it (references decoded, lines joined).
struct Bookmark
{
    QString title;
    QString url;             // HREF, blanks and line breaks taken out
    QStringList tags;        // TAGS split at its commas, in order, trailing empty ones dropped
    QStringList folders;     // the enclosing folders a person named, nearest first (kFolderNames at most)
    int moreFolders = 0;     // enclosing named folders beyond those
    QString description;     // the <DD> after it
    qint64 line = 0;         // where its <A> is

    // Enough to fill three keywords and to tell that more were there.
    static constexpr int kFolderNames = 4;
};
