#pragma once

#include <QString>

// Whether the private key in `path` is protected by a passphrase (OpenSSH's own format, or PEM);
// false for a file that cannot be read, whose refusal libssh2 then words.
bool SshKeyFileIsEncrypted(const QString &path);
