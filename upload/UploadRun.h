#pragma once

#include "UploadEdges.h"
#include "UploadProblem.h"
#include "UploadServer.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

class CurlSession;
class SecretKeeper;
class ServerTrust;
class UploadEdges;
class UploadRecord;

// A file of the user's site and its place under the server's folder ("blog/index.html"; see
// UploadServer::remotePathOf), empty for a file outside the site folder (which is not sent).
struct UploadItem
{
    QString localPath;
    QString remotePath;
};

enum class UploadOutcome {
    Sent,      // the new bytes are in place
    Unchanged, // the same bytes as last uploaded there: nothing sent
    Failed,    // not sent, for the reason given; the server's file is as it was
    NotSent,   // not tried: the run stopped before it (cancelled, or a failure that stops all)
};

// One result line per file.
struct UploadLine
{
    // The file's place under the server's folder; a file outside the site folder, which has no
    // place there, by its own path.
    QString remotePath;
    UploadOutcome outcome = UploadOutcome::Failed;
    QString reason;
    // "送信 blog/index.html", "変更なし …", "失敗 blog/index.html: user@host:22: 認証が拒否されました".
    QString text(const UploadServer &server) const;
};

// Where a run keeps and finds what is this computer's own (tests point them elsewhere).
struct UploadPlaces
{
    QString knownHostsFile; // empty: ~/.ssh/known_hosts
    QString recordFolder;   // empty: the state folder
};

// Sends the files of `items` whose bytes differ from what was last uploaded to `server`, each
// under a temporary name beside its place and renamed over it (RemoteReplace), after tidying what
// an earlier run left. run() works on the calling thread until every file has its line: give it
// a thread of its own (a QThread, QtConcurrent) where a window must stay responsive. cancel(),
// from any thread, stops it within about a second; a file cut off stays as it was on the server.
//
// The server's settings may change during a run (a certificate accepted, plain FTP agreed to):
// server() holds them, for the caller to keep (UploadSettings::save) whatever the outcome.
class UploadRun : public QObject
{
    Q_OBJECT

public:
    UploadRun(const UploadServer &server, QList<UploadItem> items, UploadEdges &edges, SecretKeeper &secrets,
              UploadPlaces places = {});
    ~UploadRun() override;

    void run();
    void cancel() { m_cancel = true; }

    // Why a file outside the server's site folder is not sent.
    static QString outsideReason(const UploadServer &server);
    // The files at `localPaths`, each with its place on `server`.
    static QList<UploadItem> itemsOf(const UploadServer &server, const QStringList &localPaths);
    // Which of `items` a run would send now, given the digest of the bytes each holds or will hold
    // (one for each): those that differ from what was last uploaded. Asks no server.
    static QList<bool> wouldSend(const UploadServer &server, const QList<UploadItem> &items,
                                 const QList<QByteArray> &digests, const UploadPlaces &places = {});

    // One line per file, in the order of the items.
    const QList<UploadLine> &lines() const { return m_lines; }
    // True when every file is sent or unchanged.
    bool succeeded() const;
    const UploadServer &server() const { return m_server; }
    // Where the record of this server is kept.
    QString recordPath() const;

signals:
    // Each file's line, as it is known.
    void lineReady(const UploadLine &line);
    // How far the file on its way is.
    void progress(const QString &remotePath, qint64 sent, qint64 total);

private:
    struct Outgoing
    {
        UploadItem item;
        QByteArray digest;
    };

    void runFiles();
    QList<Outgoing> changedItems();
    bool prepareLogin();
    UploadFailure tidyEarlierRuns();
    UploadFailure send(const Outgoing &file);
    UploadFailure replaceAfterRefusal(const QString &remotePath);
    // Runs `request`, asking again for a refused secret or an untrusted certificate and trying
    // once more; the failure that remains.
    template <typename Request> UploadFailure attempt(Request request);
    void finish(const QString &remotePath, UploadOutcome outcome, const QString &reason = QString());
    void stopAll(const QList<Outgoing> &rest, qsizetype from, UploadOutcome outcome, const QString &reason);
    void saveRecord(bool now);

    UploadServer m_server;
    QList<UploadItem> m_items;
    UploadEdges &m_edges;
    SecretKeeper &m_secrets;
    UploadPlaces m_places;
    std::unique_ptr<ServerTrust> m_trust;
    std::unique_ptr<CurlSession> m_session;
    std::unique_ptr<UploadRecord> m_record;
    QList<UploadLine> m_lines;
    QString m_runToken;
    QString m_secretKey;
    QString m_secret;
    SecretKind m_secretKind = SecretKind::Password;
    bool m_secretAsked = false;
    bool m_rememberSecret = true;
    // Learnt from the server: its rename will not replace an existing file.
    bool m_renameKeepsExisting = false;
    qint64 m_recordSavedAt = 0;
    std::atomic<bool> m_cancel{false};
};
