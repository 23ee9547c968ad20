#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

// One link of a bookmark file, as the file states it (references decoded, lines joined).
struct Bookmark
{
    QString title;
    QString url;             // HREF, blanks and line breaks taken out
    QStringList tags;        // TAGS split at its commas, in order, trailing empty ones dropped (kTagNames at most)
    QStringList folders;     // the enclosing folders a person named, nearest first (kFolderNames at most)
    int moreFolders = 0;     // enclosing named folders beyond those
    QString description;     // the <DD> after it
    qint64 line = 0;         // where its <A> is
    int moreTags = 0;        // further tags, not kept one by one
    bool tooLong = false;    // a text of it was over kMaxTextBytes in the file: not kept, no record
    QList<int> outerFolders = {}; // which named folders it lies in, outermost first (kOuterFolders at most), by their place in the file
    bool inTopFolder = false; // the outermost named folder around it is one of the file's top folders
    // ADD_DATE and LAST_MODIFIED in seconds since 1970 UTC, 0 where the file gives none; a link
    // never changed since it was made has its added time as changed.
    std::int64_t added = 0;
    std::int64_t changed = 0;

    // Enough to fill three keywords and to tell that more were there.
    static constexpr int kFolderNames = 4;
    static constexpr int kTagNames = 16;
    // Enough to tell the folders every bookmark shares.
    static constexpr int kOuterFolders = 8;
    // More than a record can hold whatever the text is (a record holds 1 MB): a longer title, URL,
    // tag or description is not decoded, so that a file of one huge title costs little memory.
    static constexpr qsizetype kMaxTextBytes = 16 * 1024 * 1024;
};
