#include "UploadRecord.h"

#include "SaveFailure.h"
#include "UploadText.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QByteArray kHeader = "sitekanri upload record 1";

QString stateFolder()
{
    const QByteArray configured = qgetenv("XDG_STATE_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(QFile::decodeName(configured)))
        return QFile::decodeName(configured) + QStringLiteral("/sitekanri");
    return QDir::homePath() + QStringLiteral("/.local/state/sitekanri");
}

} // namespace

UploadRecord::UploadRecord(const QString &identity, const QString &folder)
    : m_identity(identity)
{
    const QByteArray name = QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    m_path = (folder.isEmpty() ? stateFolder() : folder) + QStringLiteral("/upload-") + QString::fromLatin1(name)
        + QStringLiteral(".txt");
}

void UploadRecord::load()
{
    m_digests.clear();
    m_pending.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.readLine().trimmed() != kHeader)
        return;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().chopped(1).split('\t');
        if (fields.size() != 3)
            continue;
        const QString path = QString::fromUtf8(fields[2]);
        if (fields[0] == "sent")
            m_digests.insert(path, QByteArray::fromHex(fields[1]));
        else if (fields[0] == "pending")
            m_pending.append({QString::fromUtf8(fields[1]), path});
    }
}

bool UploadRecord::save(QString *reason)
{
    QByteArray text = kHeader + '\n';
    text += "server\t-\t" + m_identity.toUtf8() + '\n';
    for (const Pending &pending : m_pending)
        text += "pending\t" + pending.run.toUtf8() + '\t' + pending.remotePath.toUtf8() + '\n';
    for (auto it = m_digests.cbegin(); it != m_digests.cend(); ++it)
        text += "sent\t" + it.value().toHex() + '\t' + it.key().toUtf8() + '\n';
    QDir().mkpath(QFileInfo(m_path).path());
    // Written beside, flushed to the disk and renamed over the old record.
    const IoResult saved = SaveWhole(m_path, text);
    if (saved)
        return true;
    if (reason)
        *reason = UploadText::tr("送信の記録を書けませんでした: %1: %2").arg(m_path, saved.reason);
    return false;
}

void UploadRecord::setDigest(const QString &remotePath, const QByteArray &digest)
{
    m_digests.insert(remotePath, digest);
}

void UploadRecord::addPending(const Pending &pending)
{
    if (!m_pending.contains(pending))
        m_pending.append(pending);
}

void UploadRecord::removePending(const Pending &pending)
{
    m_pending.removeAll(pending);
}
