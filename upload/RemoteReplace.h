#pragma once

#include "UploadServer.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The server commands that put an uploaded temporary in its file's place, and those that tidy up
// after a run that stopped part way. A command starting with '*' may fail without failing the
// rest (libcurl's own mark): it is for what may or may not be there.
//
// Where the server's rename replaces an existing file (FTP servers, SFTP servers of protocol 4
// and later), one rename does it atomically: readers see the old page or the new. OpenSSH's
// sftp-server (protocol 3) refuses to rename onto an existing name, and neither libssh2 nor libssh
// as Debian ships them can send its posix-rename extension; there the old page steps aside first:
//   1. the new bytes go to the temporary (the old page stays as it was);
//   2. the old page is renamed aside;
//   3. the temporary is renamed to the page's name;
//   4. the page set aside is removed.
// A connection lost during 1 leaves the old page and a partial temporary; between 2 and 3 the
// page's name is missing for that moment, the old page lies aside whole and the new one beside
// it; after 3, the new page is in place and the one set aside is left over. The next run (or the
// same one, for a rename refused) renames what lies aside back where the name is missing, then
// removes both leftovers: every page is old or new, never half.
namespace RemoteReplace {

// The rename that replaces the file, where the server's rename replaces.
QList<QByteArray> rename(const UploadServer &server, const QString &remotePath, const QString &run);
// The same by steps 2 to 4, for a server whose rename will not replace; with `tolerant`, step 2
// may fail (the file may not be there yet).
QList<QByteArray> swap(const UploadServer &server, const QString &remotePath, const QString &run, bool tolerant);
// What a run `run` may have left of `remotePath`: the old page put back where its name is
// missing, then the temporary and the page set aside removed.
QList<QByteArray> tidy(const UploadServer &server, const QString &remotePath, const QString &run);

} // namespace RemoteReplace
