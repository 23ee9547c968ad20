#pragma once

#include "Bookmark.h"

#include <QString>

#include <functional>

class QIODevice;

// What a reader accepts before it gives up with a message.
struct BookmarkReadLimits
{
    qint64 maxBytes = qint64(256) << 20;
    qint64 maxBookmarks = 1000000;
    // Asked after each piece of the file with the bytes read so far; false stops the read, which
    // then fails with a message saying it was stopped. Unset: the read goes to the end.
    std::function<bool(qint64 bytesRead)> keepGoing;
};

struct BookmarkReadResult
{
    bool ok = true;
    QString message; // why the file was not read, in Japanese; empty when ok
    qint64 bookmarks = 0;
    // The file's top level holds no link and begins with the browser's own toolbar folder, as a
    // Chromium-based browser writes it: every top folder is then the browser's own ("other
    // bookmarks", "mobile bookmarks"), where a link sat and not what it is about.
    bool topFoldersAreBrowsers = false;
};

using BookmarkSink = std::function<void(Bookmark &&)>;

// Reads a Netscape bookmark file (<!DOCTYPE NETSCAPE-Bookmark-file-1>) as browsers and bookmark
// services write it, handing each bookmark to `sink` in file order. The file is read in pieces
// and never held whole; folder nesting costs no stack. Text is UTF-8 unless a <META> before the
// first folder or link names another charset that Qt knows (Shift_JIS, EUC-JP, windows-1252, …);
// a byte-order mark outranks the <META>. On failure (not a bookmark file, too large, cut short,
// UTF-16, a NUL byte, bytes the charset cannot read, an unknown charset) the result says why,
// and the caller must discard what `sink` got.
BookmarkReadResult ReadBookmarks(QIODevice &in, const BookmarkSink &sink, const BookmarkReadLimits &limits = {});

// The same for a file by name; a file over the size limit is refused before it is read.
BookmarkReadResult ReadBookmarkFile(const QString &path, const BookmarkSink &sink,
                                    const BookmarkReadLimits &limits = {});
