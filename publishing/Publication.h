#pragma once

#include "EntryChanges.h"
#include "PublishList.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class LinkSource;
class PageFolders;

// One file of a publish, as planned and then as written: what an upload needs to know of it (its
// path, whether it was written, its size) and what the summary tells the user.
struct PublishedFile
{
    enum class Status {
        Changed,   // its bytes change (planned), or changed (written)
        Unchanged, // its bytes stay exactly as they are: it is not written, its time stays
        Refused,   // it cannot be published; `reason` says why, and it is left untouched
    };
    QString path;
    Status status = Status::Unchanged;
    bool written = false; // Changed and now on disk; false in a plan
    QString reason;
    QStringList warnings;
    SiteChanges changes;
    // The size in bytes of what the file holds once the publish is done (a plan: what it will
    // hold; a refused file: what it holds as it stands, 0 when unread). An upload that compares
    // contents takes the file's digest itself (FileDigest): hashing every page of every publish
    // would cost more than making them.
    qint64 size = 0;
};

// The SHA-256 of the file at `path`, empty when it cannot be read.
QByteArray FileDigest(const QString &path);

// A file of the user's site as a publish leaves it, for an upload to send.
struct SiteFile
{
    QString path;
    QByteArray digest; // the SHA-256 of its bytes once the publish is written; empty unless asked for
};

// A publish of a register's pages: planned first (every page read and made anew in memory,
// nothing written), shown, then written. Pages are independent: one refused never stops another.
class Publication
{
public:
    // Reads the pages of `entries` (a folder: each HTML file in it and below that holds a marker,
    // hidden folders passed over; a page two entries name is published once, by the first that
    // names it as a file) and works out what each becomes with `source`.
    static Publication plan(const std::vector<PageEntry> &entries, const LinkSource &source);
    Publication(Publication &&) noexcept;
    Publication &operator=(Publication &&) noexcept;
    ~Publication();

    const std::vector<PublishedFile> &files() const { return m_files; }
    bool anyRefused() const;
    bool anyChanged() const;

    // Writes each page that changes, unless it no longer holds what was read: an editor that saved
    // it meanwhile wins, and the page is refused with that reason. Writes once.
    void write();

    // The files this publish leaves as the server should have them, in the order of files(): every
    // page but those refused, which stay as they were and are not sent. This is the one list an
    // upload takes; any other kind of file written with the pages joins it here. `withDigests`:
    // each with the digest of what it holds once written (of a plan: what it will hold), so that
    // what an upload would send is known before anything is written.
    std::vector<SiteFile> filesToUpload(bool withDigests = false) const;

private:
    Publication();

    struct Planned
    {
        bool existed = false;
        QByteArray before;
        QByteArray after;
    };
    std::vector<PublishedFile> m_files;
    std::vector<Planned> m_planned; // one for each file
    std::unique_ptr<PageFolders> m_folders;
    bool m_written = false;
};

// "追加 2、削除 1、変更 0" and the like, for a summary line.
QString DescribeChanges(const SiteChanges &changes);
