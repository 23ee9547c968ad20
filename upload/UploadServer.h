#pragma once

#include <QString>

// How a server is reached. FTP without TLS sends the password as it is typed, for anyone on the
// way to read: it is used only once the user has agreed to that for the server.
enum class UploadProtocol { Sftp, Ftps, Ftp };

// How an SFTP login proves who it is: a key the SSH agent holds, a key file (its passphrase, if
// any, from the secret store), or a password.
enum class SshLogin { Agent, KeyFile, Password };

// A server the published pages go to, as this computer knows it (paths and logins differ between
// computers). Holds no secret: passwords and passphrases live in the desktop's secret store.
struct UploadServer
{
    QString name; // the user's own name for it
    UploadProtocol protocol = UploadProtocol::Sftp;
    QString host;
    int port = 0; // 0: the protocol's own (22, 21)
    QString user;
    // Where the pages go: an absolute path, or one under the login's home ("~/public_html", or
    // "public_html"); FTP names a folder as the server shows it after login.
    QString folder;
    // The folder of this computer whose files go there (the user's site): a file's place under
    // `folder` is its path under this one.
    QString siteFolder;
    SshLogin sshLogin = SshLogin::Agent;
    QString keyFile;
    // The SHA-256 fingerprint of a certificate no authority vouches for, which the user accepted
    // after seeing it ("SHA256:…"): that certificate, and no other, is trusted for this server.
    QString certificatePin;
    bool clearTextAccepted = false;

    int effectivePort() const;
    // The server as one string, "sftp://user@host:22/folder": the key of what was uploaded there,
    // and of its secrets.
    QString identity() const;
    // The server as messages name it: "user@host:22".
    QString shown() const;
    // Why the settings cannot reach a server, in words for people; empty when they can.
    QString problem() const;
    // The names the secret store keeps this server's password, or its key file's passphrase, under.
    QString passwordKey() const { return identity() + QStringLiteral(" password"); }
    QString passphraseKey() const { return identity() + QStringLiteral(" passphrase ") + keyFile; }
    // The place under `folder` of `file`, a file under `siteFolder` ("blog/index.html"); empty for
    // a file outside it.
    QString remotePathOf(const QString &file) const;
    // Whether a password (rather than a key) is what the login needs.
    bool usesPassword() const { return protocol != UploadProtocol::Sftp || sshLogin == SshLogin::Password; }
};

QString UploadProtocolName(UploadProtocol protocol);
bool UploadProtocolFromName(const QString &name, UploadProtocol &protocol);
