#include "SecretKeeper.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QHash>
#include <QMutex>
#include <QTimer>

namespace {

const QString kService = QStringLiteral("sitekanri");

// The secrets of this session where no store keeps them, shared by every upload of the process.
QHash<QString, QString> &sessionSecrets()
{
    static QHash<QString, QString> secrets;
    return secrets;
}
QMutex &sessionLock()
{
    static QMutex lock;
    return lock;
}

// Runs a keychain job to its end on this thread. A store that does not answer within 30 seconds
// counts as none.
bool finish(QKeychain::Job &job)
{
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    return job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound;
}

} // namespace

SecretKeeper::SecretKeeper(Store store)
    : m_store(store)
{
}

std::optional<QString> SecretKeeper::find(const QString &key)
{
    if (m_store == Store::Desktop) {
        QKeychain::ReadPasswordJob job(kService);
        job.setKey(key);
        if (finish(job)) {
            if (job.error() == QKeychain::NoError)
                return job.textData();
            return std::nullopt;
        }
        m_store = Store::SessionOnly;
    }
    const QMutexLocker locked(&sessionLock());
    const auto found = sessionSecrets().constFind(key);
    return found == sessionSecrets().constEnd() ? std::nullopt : std::optional<QString>(*found);
}

void SecretKeeper::keep(const QString &key, const QString &secret)
{
    if (m_store == Store::Desktop) {
        QKeychain::WritePasswordJob job(kService);
        job.setKey(key);
        job.setTextData(secret);
        if (finish(job))
            return;
        m_store = Store::SessionOnly;
    }
    const QMutexLocker locked(&sessionLock());
    sessionSecrets().insert(key, secret);
}

void SecretKeeper::forget(const QString &key)
{
    if (m_store == Store::Desktop) {
        QKeychain::DeletePasswordJob job(kService);
        job.setKey(key);
        finish(job);
    }
    const QMutexLocker locked(&sessionLock());
    sessionSecrets().remove(key);
}
