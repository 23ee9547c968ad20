#pragma once

#include "UploadServer.h"

#include <QString>

#include <optional>

enum class SecretKind { Password, Passphrase };

// A password or passphrase as the user gave it, and whether it is to be kept in the desktop's
// secret store once the server has taken it (otherwise in memory, until the program ends).
struct SecretAnswer
{
    QString secret;
    bool remember = true;
};

// What an upload needs from the person in front of it. The window answers with its dialogs, the
// command line with its terminal, tests with a fake. Every call comes from the thread the upload
// runs on (never the window's), and the upload waits for the answer: a window implementation
// asks on its own thread (a blocking queued call) and returns what was answered there.
class UploadEdges
{
public:
    virtual ~UploadEdges() = default;

    // The password (or the key file's passphrase) for `server`; nothing when the user would
    // rather stop. `again`: the one given before was refused.
    virtual std::optional<SecretAnswer> askSecret(const UploadServer &server, SecretKind kind, bool again) = 0;
    // A host this computer has never seen shows its key: true to trust it (it is then added to
    // ~/.ssh/known_hosts), false to stop. `fingerprint` is as ssh-keygen -l shows it.
    virtual bool acceptHostKey(const UploadServer &server, const QString &keyType, const QString &fingerprint) = 0;
    // A certificate no authority vouches for, or one for another name: true to trust this one
    // certificate for the server from now on. `changed`: another one had been accepted before.
    virtual bool acceptCertificate(const UploadServer &server, const QString &fingerprint, const QString &problem,
                                   bool changed) = 0;
    // Plain FTP sends the password unencrypted: true when the user agrees for this server.
    virtual bool acceptClearText(const UploadServer &server) = 0;
};
