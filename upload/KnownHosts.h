#pragma once

#include "IoResult.h"

#include <QByteArray>
#include <QString>

// The user's OpenSSH known_hosts file, as ssh itself keeps it: the host keys the user has seen
// and trusts. libssh2 reads it for libcurl; this adds the key of a host the user has just
// accepted, in the form ssh writes on Debian (the host name hashed, HashKnownHosts yes). libcurl
// could write the file itself, but it writes the whole file anew from what libssh2 understood of
// it, dropping comments and lines of kinds it does not know.
namespace KnownHosts {

// ~/.ssh/known_hosts.
QString userFile();
// How known_hosts names a host: "host" on port 22, "[host]:port" elsewhere.
QString hostPattern(const QString &host, int port);
// The key's type as its wire form names it ("ssh-ed25519", "ecdsa-sha2-nistp256"); empty when
// the bytes hold no type.
QString keyType(const QByteArray &key);
// The key's fingerprint as ssh-keygen -l shows it: "SHA256:" and the unpadded base64 digest.
QString fingerprint(const QByteArray &key);
// A known_hosts line for `key` of `pattern`, its name hashed with `salt` (20 random bytes).
QByteArray hashedLine(const QString &pattern, const QByteArray &key, const QByteArray &salt);
// Adds `line` at the end of `path` (made, mode 0600, in a folder made with mode 0700, where
// missing), flushed to the disk; what the file held stays as it was.
IoResult append(const QString &path, const QByteArray &line);

} // namespace KnownHosts
