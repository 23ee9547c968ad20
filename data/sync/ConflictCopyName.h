#pragma once

#include <QString>

// The names file-sync tools give the copies they keep when a file was changed on two computers
// before they met: the losing version is kept beside the file under a name of the tool's own.
// One table of these names for the whole program; see ConflictCopyName.cpp.
struct ConflictCopyName
{
    QString original; // the file it is a copy of, as the copy spells it ("data4.ini", "SETTING.INI")
    QString tool;     // "Syncthing", "Nextcloud", "ownCloud", "Dropbox"

    bool isCopy() const { return !original.isEmpty(); }

    // What `name` is a conflict copy of; an empty original when it is none (a sync tool's own
    // temporary, such as ".syncthing.data4.sync-conflict-….ini.tmp", is none: it is never read).
    static ConflictCopyName parse(const QString &name);
};

// A sync tool's own working file ("~*.tmp", ".syncthing.*.tmp", ".~lock.*"), which the register
// never reads, writes, counts or removes.
bool IsSyncToolFile(const QString &name);
