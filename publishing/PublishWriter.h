#pragma once

#include "IoResult.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>

class RegisterFolder;

// The folders of the pages of one publish, each opened once and reached through its handle, never
// through a symbolic link, as the register's own folder is (RegisterFolder). Pages are written as
// register files are: beside the page, flushed, looked at once more, exchanged with it, and put
// back if it changed meanwhile; a page keeps its permissions and owner. What a publish that was
// killed left in a folder (its temporaries) goes the first time the folder is written again.
class PageFolders
{
public:
    PageFolders();
    ~PageFolders();

    struct Read
    {
        IoResult io;
        bool exists = false;
        QByteArray bytes;
    };
    // The page at `path` as it is now; a missing one reads as not existing.
    Read read(const QString &path);

    // Why the page at `path` could not be written (made read-only, a folder that cannot be
    // written), or "" when nothing is known to stop it.
    QString writeRefusal(const QString &path);

    enum class Outcome {
        Written,
        AlreadyThere,     // another writer left exactly these bytes meanwhile
        ChangedMeanwhile, // an editor saved the page since it was read: its version stands
        Gone,             // the page was removed since it was read
        Taken,            // a new page's name was taken since it was looked at
        Failed,           // `failure` says which file and why
    };
    // Replaces the page at `path`, which held `before` when it was read (null: there was none),
    // with `after`.
    Outcome write(const QString &path, const QByteArray *before, const QByteArray &after, IoResult &failure);
    // Takes away what a publish cut short left in the page's folder (a version written beside a
    // page), as a write there does first: a publish that finds the page already as it should be
    // still finishes the one before it.
    void tidy(const QString &path);

private:
    RegisterFolder *folderOf(const QString &path, IoResult &opened);
    void sweep(RegisterFolder &folder);

    QHash<QString, std::shared_ptr<RegisterFolder>> m_folders;
    QHash<QString, bool> m_swept;
};
