#include "UploadRun.h"

#include "CurlSession.h"
#include "FileReason.h"
#include "KnownHosts.h"
#include "RemoteNames.h"
#include "RemoteReplace.h"
#include "SecretKeeper.h"
#include "ServerTrust.h"
#include "SshKeyFile.h"
#include "UploadEdges.h"
#include "UploadRecord.h"
#include "UploadText.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>

namespace {

QString folderUrlPath(const QString &remotePath)
{
    const QString folder = RemoteNames::folderOf(remotePath);
    return folder.isEmpty() ? QString() : folder + u'/';
}

QString inFolderOf(const QString &remotePath, const QString &name)
{
    const QString folder = RemoteNames::folderOf(remotePath);
    return folder.isEmpty() ? name : folder + u'/' + name;
}

} // namespace

QString UploadLine::text(const UploadServer &server) const
{
    switch (outcome) {
    case UploadOutcome::Sent: return UploadText::tr("送信 %1").arg(remotePath);
    case UploadOutcome::Unchanged: return UploadText::tr("変更なし %1").arg(remotePath);
    case UploadOutcome::Failed: return UploadText::tr("失敗 %1: %2: %3").arg(remotePath, server.shown(), reason);
    case UploadOutcome::NotSent: return UploadText::tr("未送信 %1: %2: %3").arg(remotePath, server.shown(), reason);
    }
    return {};
}

UploadRun::UploadRun(const UploadServer &server, QList<UploadItem> items, UploadEdges &edges, SecretKeeper &secrets,
                     UploadPlaces places)
    : m_server(server), m_items(std::move(items)), m_edges(edges), m_secrets(secrets), m_places(std::move(places))
{
    if (m_places.knownHostsFile.isEmpty())
        m_places.knownHostsFile = KnownHosts::userFile();
    m_trust = std::make_unique<ServerTrust>(m_server, m_edges, m_places.knownHostsFile);
    m_record = std::make_unique<UploadRecord>(m_server.identity(), m_places.recordFolder);
    m_runToken = QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, u'0');
}

UploadRun::~UploadRun() = default;

QString UploadRun::recordPath() const
{
    return m_record->path();
}

QString UploadRun::outsideReason(const UploadServer &server)
{
    return server.siteFolder.isEmpty() ? UploadText::tr("サーバーの設定にサイトのフォルダーがないため、送り先が決まりません")
                                       : UploadText::tr("サイトのフォルダー %1 の外にあるため、送れません").arg(server.siteFolder);
}

QList<UploadItem> UploadRun::itemsOf(const UploadServer &server, const QStringList &localPaths)
{
    QList<UploadItem> items;
    for (const QString &path : localPaths)
        items.append({path, server.remotePathOf(path)});
    return items;
}

QList<bool> UploadRun::wouldSend(const UploadServer &server, const QList<UploadItem> &items, const QList<QByteArray> &digests,
                                 const UploadPlaces &places)
{
    UploadRecord record(server.identity(), places.recordFolder);
    record.load();
    QList<bool> sending;
    for (qsizetype i = 0; i < items.size(); ++i)
        sending.append(!items[i].remotePath.isEmpty() && digests.value(i) != record.digest(items[i].remotePath));
    return sending;
}

bool UploadRun::succeeded() const
{
    return std::all_of(m_lines.cbegin(), m_lines.cend(), [](const UploadLine &line) {
        return line.outcome == UploadOutcome::Sent || line.outcome == UploadOutcome::Unchanged;
    });
}

void UploadRun::finish(const QString &remotePath, UploadOutcome outcome, const QString &reason)
{
    m_lines.append({remotePath, outcome, reason});
    emit lineReady(m_lines.last());
}

void UploadRun::stopAll(const QList<Outgoing> &rest, qsizetype from, UploadOutcome outcome, const QString &reason)
{
    for (qsizetype i = from; i < rest.size(); ++i)
        finish(rest[i].item.remotePath, outcome, reason);
}

void UploadRun::saveRecord(bool now)
{
    // A record a little behind costs a file sent again after a crash, never a file missed: it
    // is written at most twice a second, and at the end.
    const qint64 at = QDateTime::currentMSecsSinceEpoch();
    if (now || at - m_recordSavedAt >= 500) {
        m_record->save();
        m_recordSavedAt = at;
    }
}

QList<UploadRun::Outgoing> UploadRun::changedItems()
{
    QList<Outgoing> outgoing;
    QSet<QString> seen;
    for (const UploadItem &item : std::as_const(m_items)) {
        if (item.remotePath.isEmpty()) {
            finish(item.localPath, UploadOutcome::Failed, outsideReason(m_server));
            continue;
        }
        if (const QString problem = RemoteNames::problem(item.remotePath); !problem.isEmpty()) {
            finish(item.remotePath, UploadOutcome::Failed, problem);
            continue;
        }
        if (seen.contains(item.remotePath)) {
            finish(item.remotePath, UploadOutcome::Failed, UploadText::tr("同じ送り先に二つのファイルが指定されています"));
            continue;
        }
        seen.insert(item.remotePath);
        QFile file(item.localPath);
        QCryptographicHash digest(QCryptographicHash::Sha256);
        if (!QFileInfo(item.localPath).isFile() || !file.open(QIODevice::ReadOnly) || !digest.addData(&file)) {
            finish(item.remotePath, UploadOutcome::Failed,
                   UploadText::tr("手元のファイルを読めません: %1: %2").arg(item.localPath, FileReason(file)));
            continue;
        }
        if (digest.result() == m_record->digest(item.remotePath))
            finish(item.remotePath, UploadOutcome::Unchanged);
        else
            outgoing.append({item, digest.result()});
    }
    return outgoing;
}

bool UploadRun::prepareLogin()
{
    if (m_server.protocol == UploadProtocol::Ftp && !m_server.clearTextAccepted) {
        if (!m_edges.acceptClearText(m_server))
            return false;
        m_server.clearTextAccepted = true;
    }
    if (m_server.usesPassword()) {
        m_secretKind = SecretKind::Password;
        m_secretKey = m_server.passwordKey();
    } else if (m_server.sshLogin == SshLogin::KeyFile && SshKeyFileIsEncrypted(m_server.keyFile)) {
        m_secretKind = SecretKind::Passphrase;
        m_secretKey = m_server.passphraseKey();
    } else {
        return true;
    }
    std::optional<QString> secret = m_secrets.find(m_secretKey);
    if (!secret) {
        const std::optional<SecretAnswer> answer = m_edges.askSecret(m_server, m_secretKind, false);
        if (!answer)
            return false;
        secret = answer->secret;
        m_rememberSecret = answer->remember;
        m_secretAsked = true;
    }
    m_secret = *secret;
    m_session->setSecret(m_secret);
    return true;
}

template <typename Request> UploadFailure UploadRun::attempt(Request request)
{
    for (int tries = 0;; ++tries) {
        m_trust->reset();
        const CurlOutcome outcome = request();
        if (outcome.ok()) {
            // A secret the user typed is kept once the server took it, never before.
            if (m_secretAsked)
                m_secrets.keep(m_secretKey, m_secret, m_rememberSecret);
            m_secretAsked = false;
            return {};
        }
        const UploadFailure failure = DescribeFailure(outcome, *m_trust, m_server);
        if (failure.problem == UploadProblem::CertificateUntrusted && tries < 2 && m_trust->askCertificate(outcome.detail)) {
            m_session->disconnect();
            continue;
        }
        const bool refused = failure.problem == UploadProblem::LoginRefused || failure.problem == UploadProblem::KeyFileUnreadable;
        if (refused && !m_secretKey.isEmpty() && tries < 3) {
            const std::optional<SecretAnswer> again = m_edges.askSecret(m_server, m_secretKind, true);
            if (again) {
                m_secret = again->secret;
                m_rememberSecret = again->remember;
                m_secretAsked = true;
                m_session->setSecret(m_secret);
                m_session->disconnect();
                continue;
            }
        }
        return failure;
    }
}

UploadFailure UploadRun::tidyEarlierRuns()
{
    QMap<QString, QList<UploadRecord::Pending>> byFolder;
    for (const UploadRecord::Pending &pending : m_record->pending())
        byFolder[folderUrlPath(pending.remotePath)].append(pending);
    for (auto it = byFolder.cbegin(); it != byFolder.cend(); ++it) {
        QList<QByteArray> commands;
        for (const UploadRecord::Pending &pending : it.value())
            commands += RemoteReplace::tidy(m_server, pending.remotePath, pending.run);
        const UploadFailure failure =
            attempt([&] { return m_session->commands(RemoteNames::url(m_server, it.key()), commands); });
        // A folder no longer there holds no leftovers either.
        if (failure.endsRun())
            return failure;
        for (const UploadRecord::Pending &pending : it.value())
            m_record->removePending(pending);
    }
    return {};
}

UploadFailure UploadRun::replaceAfterRefusal(const QString &remotePath)
{
    const QByteArray folder = RemoteNames::url(m_server, folderUrlPath(remotePath));
    const UploadFailure failure =
        attempt([&] { return m_session->commands(folder, RemoteReplace::swap(m_server, remotePath, m_runToken, false)); });
    if (failure.problem == UploadProblem::None)
        m_renameKeepsExisting = true;
    return failure;
}

UploadFailure UploadRun::send(const Outgoing &file)
{
    const QString &path = file.item.remotePath;
    QFile source(file.item.localPath);
    if (!source.open(QIODevice::ReadOnly))
        return {UploadProblem::Other, UploadText::tr("手元のファイルを読めません: %1: %2").arg(file.item.localPath, FileReason(source))};
    const QByteArray url = RemoteNames::url(m_server, inFolderOf(path, RemoteNames::temporaryName(RemoteNames::baseOf(path), m_runToken)));
    const QList<QByteArray> after = m_renameKeepsExisting ? RemoteReplace::swap(m_server, path, m_runToken, true)
                                                          : RemoteReplace::rename(m_server, path, m_runToken);
    m_session->setProgress([this, &path](qint64 sent, qint64 total) { emit progress(path, sent, total); });
    QByteArray sent;
    UploadFailure failure = attempt([&] {
        source.seek(0);
        return m_session->upload(source, source.size(), url, after, &sent);
    });
    m_session->setProgress({});
    if (failure.problem == UploadProblem::RenameRefused && !m_renameKeepsExisting)
        failure = replaceAfterRefusal(path);
    if (failure.problem == UploadProblem::None) {
        m_record->setDigest(path, sent);
        m_record->removePending({m_runToken, path});
    } else if (!failure.endsRun()) {
        // The old page back in its place if it had stepped aside, the temporary gone.
        const QByteArray folder = RemoteNames::url(m_server, folderUrlPath(path));
        const UploadFailure tidied =
            attempt([&] { return m_session->commands(folder, RemoteReplace::tidy(m_server, path, m_runToken)); });
        if (tidied.problem == UploadProblem::None)
            m_record->removePending({m_runToken, path});
        else if (failure.problem == UploadProblem::WriteFailed && tidied.endsRun())
            failure = ConnectionLostFailure(); // the write failed because the connection had gone
    }
    return failure;
}

void UploadRun::run()
{
    runFiles();
    // Lines come as each file is known (unchanged ones first); once all are, in the files' order.
    QHash<QString, qsizetype> order;
    for (qsizetype i = m_items.size() - 1; i >= 0; --i)
        order.insert(m_items[i].remotePath.isEmpty() ? m_items[i].localPath : m_items[i].remotePath, i);
    std::stable_sort(m_lines.begin(), m_lines.end(), [&](const UploadLine &a, const UploadLine &b) {
        return order.value(a.remotePath) < order.value(b.remotePath);
    });
}

void UploadRun::runFiles()
{
    m_lines.clear();
    if (const QString problem = m_server.problem(); !problem.isEmpty()) {
        for (const UploadItem &item : std::as_const(m_items))
            finish(item.remotePath, UploadOutcome::Failed, problem);
        return;
    }
    // One run at a time for a server on this computer (the window's and the command line's):
    // each tidies what the other may have left, and would take the other's file for a leftover.
    QDir().mkpath(QFileInfo(m_record->path()).path());
    QLockFile lock(m_record->path() + QStringLiteral(".lock"));
    if (!lock.tryLock(5000)) {
        for (const UploadItem &item : std::as_const(m_items))
            finish(item.remotePath, UploadOutcome::NotSent, UploadText::tr("別のアップロードがこのサーバーに送っている最中です"));
        return;
    }
    m_record->load();
    const QList<Outgoing> outgoing = changedItems();
    if (outgoing.isEmpty() && m_record->pending().isEmpty())
        return;
    m_session = std::make_unique<CurlSession>(m_server, *m_trust);
    m_session->setCancel(&m_cancel);
    if (!prepareLogin()) {
        const QString reason = m_server.protocol == UploadProtocol::Ftp && !m_server.clearTextAccepted
            ? UploadText::tr("平文の FTP でパスワードを送ることが認められなかったため、送りませんでした")
            : m_cancel                              ? UploadText::tr("中止しました")
            : m_secretKind == SecretKind::Password ? UploadText::tr("パスワードが入力されなかったため、送りませんでした")
                                                    : UploadText::tr("パスフレーズが入力されなかったため、送りませんでした");
        stopAll(outgoing, 0, UploadOutcome::NotSent, reason);
        return;
    }
    if (const UploadFailure failure = tidyEarlierRuns(); failure.problem != UploadProblem::None) {
        stopAll(outgoing, 0, failure.problem == UploadProblem::Cancelled ? UploadOutcome::NotSent : UploadOutcome::Failed,
                failure.reason);
        saveRecord(true);
        return;
    }
    // The temporaries this run may leave are noted before the first is made.
    for (const Outgoing &file : outgoing)
        m_record->addPending({m_runToken, file.item.remotePath});
    if (QString reason; !outgoing.isEmpty() && !m_record->save(&reason)) {
        stopAll(outgoing, 0, UploadOutcome::Failed, reason);
        return;
    }
    for (qsizetype i = 0; i < outgoing.size(); ++i) {
        const QString &path = outgoing[i].item.remotePath;
        const UploadFailure failure = m_cancel ? UploadFailure{UploadProblem::Cancelled, UploadText::tr("中止しました")}
                                               : send(outgoing[i]);
        if (failure.problem == UploadProblem::None) {
            finish(path, UploadOutcome::Sent);
        } else if (failure.endsRun()) {
            finish(path, failure.problem == UploadProblem::Cancelled ? UploadOutcome::NotSent : UploadOutcome::Failed,
                   failure.reason);
            stopAll(outgoing, i + 1, UploadOutcome::NotSent, failure.reason);
            break;
        } else {
            finish(path, UploadOutcome::Failed, failure.reason);
        }
        saveRecord(false);
    }
    saveRecord(true);
}
