#pragma once

#include "UploadServer.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Real servers on 127.0.0.1 for the upload tests, each with what it needs made for the test in a
// folder of its own. start() returns an empty string when the server runs, else why it cannot (the
// test then skips with that reason); a server started again keeps its port, as a real one does.
class LocalServer
{
public:
    virtual ~LocalServer();
    virtual QString start() = 0;
    // Kills the server and every session it began, at once (a crash, a cable pulled).
    void kill();
    // A new host key or certificate, as a reinstalled server has; taken at the next start().
    virtual void changeIdentity() = 0;
    // The fingerprint of that identity, as OpenSSH's and OpenSSL's own tools show it.
    virtual QString fingerprint() const = 0;
    // The settings that reach it, its folder "site".
    virtual UploadServer uploadServer() const = 0;
    // A path under the folder the server serves, on this computer.
    QString remote(const QString &path) const { return m_dir.filePath(QStringLiteral("remote/") + path); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

protected:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

// OpenSSH's sshd with its internal SFTP, its own configuration, a host key and a user key
// (user_key, no passphrase) made for it, for the user running the tests.
class SshServer : public LocalServer
{
public:
    SshServer();
    QString start() override;
    void changeIdentity() override;
    QString fingerprint() const override;
    UploadServer uploadServer() const override;
    // Lets the key of `keyFile` log in too.
    void authorize(const QString &keyFile);
};

// pyftpdlib with one user and password, explicit TLS with a self-signed certificate made for the
// test, or plain FTP.
class FtpServer : public LocalServer
{
public:
    explicit FtpServer(bool tls);
    QString start() override;
    void changeIdentity() override;
    QString fingerprint() const override;
    UploadServer uploadServer() const override;
    static QString password() { return QStringLiteral("correct horse"); }
    // Takes what it is sent at about 4 MiB a second, from the next start(): a file of some size is
    // then long enough on its way for a person to stop it.
    void slowDown() { m_slow = true; }

private:
    bool m_tls;
    bool m_slow = false;
};

// Runs `program` with the blank-separated `words`, then `more`, to its end: true when it exited 0;
// `output` receives what it printed.
bool RunTool(const QString &program, const char *words, const QStringList &more = {}, QString *output = nullptr);
// A new ed25519 key in `path` (and path.pub).
bool MakeKey(const QString &path, const QString &passphrase = QString());
