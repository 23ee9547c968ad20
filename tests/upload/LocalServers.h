#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Real servers on 127.0.0.1 for the upload tests, each with what it needs made for the test in a
// folder of its own. start() returns an empty string when the server runs, else why it cannot (the
// test then skips with that reason).

// OpenSSH's sshd with its internal SFTP, its own configuration, a host key and a user key made
// for it, on an unprivileged port, for the user running the tests.
class SshServer
{
public:
    SshServer();
    ~SshServer();
    QString start();
    // Kills the server and every session it began, at once (a crash, a cable pulled).
    void kill();
    // A new host key, as a reinstalled server has; takes effect at the next start().
    void replaceHostKey();
    int port() const { return m_port; }
    QString userKey() const { return m_dir.filePath(QStringLiteral("user_key")); }
    QString hostKeyFingerprint() const;
    QString user() const;
    // Allows `key.pub`'s key to log in too (only the user key may, at first).
    void authorize(const QString &keyFile);
    QString folder(const QString &name) const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

// pyftpdlib with one user and password, explicit TLS with a self-signed certificate made for the
// test (or plain FTP).
class FtpServer
{
public:
    explicit FtpServer(bool tls);
    ~FtpServer();
    QString start();
    void kill();
    void replaceCertificate();
    int port() const { return m_port; }
    QString certificateFingerprint() const;
    QString folder(const QString &name) const;
    static QString user() { return QStringLiteral("web"); }
    static QString password() { return QStringLiteral("correct horse"); }

private:
    bool m_tls;
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

// Runs `program` with `arguments` to its end: true when it exited 0; `output` receives what it
// printed.
bool RunTool(const QString &program, const QStringList &arguments, QString *output = nullptr);
