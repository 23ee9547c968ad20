#pragma once

#include "UploadServer.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>

class QIODevice;
class ServerTrust;
typedef void CURL;

// What libcurl answered to one request: its code (0 for success), its own words for what went
// wrong (English, for the reason to be found in), and the server's last reply code.
struct CurlOutcome
{
    int code = 0;
    QString detail;
    long reply = 0;
    bool ok() const { return code == 0; }
};

// One connection to a server through libcurl, reused request after request: SFTP through
// libssh2, FTP and FTPS (explicit TLS, for the login and every file) through OpenSSL. libcurl
// speaks the protocols; this only sets what to check and what to send. Secrets are given to
// libcurl in this process, never on a command line or in a log.
class CurlSession
{
public:
    CurlSession(const UploadServer &server, ServerTrust &trust);
    ~CurlSession();
    CurlSession(const CurlSession &) = delete;
    CurlSession &operator=(const CurlSession &) = delete;

    void setSecret(const QString &secret) { m_secret = secret.toUtf8(); }
    // Set by another thread to stop: the request in flight ends within about a second.
    void setCancel(const std::atomic<bool> *cancel) { m_cancel = cancel; }
    void setProgress(std::function<void(qint64 sent, qint64 total)> progress) { m_progress = std::move(progress); }

    // Sends `size` bytes of `source` to `url`, then runs `after` (server commands, one by one)
    // on the same connection; `sentDigest` receives the SHA-256 of the bytes that went.
    CurlOutcome upload(QIODevice &source, qint64 size, const QByteArray &url, const QList<QByteArray> &after,
                       QByteArray *sentDigest);
    // Runs `commands` in the folder `folderUrl` (ending in '/') without sending a file.
    CurlOutcome commands(const QByteArray &folderUrl, const QList<QByteArray> &commands);
    // Drops the connection, so that the next request logs in anew (after a login refused).
    void disconnect();

    const UploadServer &server() const { return m_server; }
    ServerTrust &trust() { return m_trust; }

private:
    friend struct CurlProgress;
    void setCommon(const QByteArray &url);
    CurlOutcome perform();

    const UploadServer &m_server;
    ServerTrust &m_trust;
    CURL *m_curl = nullptr;
    QByteArray m_secret;
    const std::atomic<bool> *m_cancel = nullptr;
    std::function<void(qint64, qint64)> m_progress;
    QByteArray m_knownHosts;
    QByteArray m_keyFile;
    char m_error[256 + 1] = {};
};
