#include "SecretKeeper.h"

#include <qt6keychain/keychain.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QHash>
#include <QMutex>
#include <QThread>
#include <QTimer>
#include <QWaitCondition>

#include <functional>
#include <memory>

namespace {

const QString kService = QStringLiteral("sitekanri");
// A store that does not answer within this counts as none.
constexpr int kPatienceMs = 30000;

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

// What a keychain job came to.
struct JobOutcome
{
    bool answered = false;
    QKeychain::Error error = QKeychain::OtherError;
    QString text; // what a read found

    // The store answered, whether or not it held the secret.
    bool storeWorks() const { return answered && (error == QKeychain::NoError || error == QKeychain::EntryNotFound); }
};

JobOutcome outcomeOf(const QKeychain::Job &job)
{
    const auto *read = qobject_cast<const QKeychain::ReadPasswordJob *>(&job);
    return {true, job.error(), read && job.error() == QKeychain::NoError ? read->textData() : QString()};
}

// Runs the job `make` makes to its end. QtKeychain sends every job through one queue that lives
// on the thread that first used it, and a job run on a thread that has ended since leaves that
// queue broken (later jobs wait for ever, or crash): every job therefore runs on the application's
// thread, at once when called there, else posted there while the caller waits. (A window that
// waits for the upload's thread meanwhile makes the wait last until the patience runs out.)
JobOutcome runJob(const std::function<QKeychain::Job *()> &make)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() == application->thread()) {
        const std::unique_ptr<QKeychain::Job> job(make());
        job->setAutoDelete(false);
        QEventLoop loop;
        bool answered = false;
        QObject::connect(job.get(), &QKeychain::Job::finished, &loop, [&] {
            answered = true;
            loop.quit();
        });
        QTimer::singleShot(kPatienceMs, &loop, &QEventLoop::quit);
        job->start();
        loop.exec();
        return answered ? outcomeOf(*job) : JobOutcome();
    }
    struct Shared
    {
        QMutex lock;
        QWaitCondition done;
        JobOutcome outcome;
    };
    const auto shared = std::make_shared<Shared>();
    QMetaObject::invokeMethod(application, [make, shared] {
        QKeychain::Job *job = make();
        job->setAutoDelete(true);
        QObject::connect(job, &QKeychain::Job::finished, job, [job, shared] {
            const QMutexLocker locked(&shared->lock);
            shared->outcome = outcomeOf(*job);
            shared->done.wakeAll();
        });
        job->start();
    }, Qt::QueuedConnection);
    QMutexLocker locked(&shared->lock);
    if (!shared->outcome.answered)
        shared->done.wait(&shared->lock, kPatienceMs);
    return shared->outcome;
}

template <typename Job> std::function<QKeychain::Job *()> maker(const QString &key, std::function<void(Job &)> more = {})
{
    return [key, more] {
        auto *job = new Job(kService);
        job->setInsecureFallback(false);
        job->setKey(key);
        if (more)
            more(*job);
        return job;
    };
}

} // namespace

SecretKeeper::SecretKeeper(Store store)
    : m_store(store)
{
}

std::optional<QString> SecretKeeper::find(const QString &key)
{
    if (m_store == Store::Desktop) {
        const JobOutcome read = runJob(maker<QKeychain::ReadPasswordJob>(key));
        if (read.storeWorks()) {
            if (read.error == QKeychain::NoError)
                return read.text;
        } else {
            m_store = Store::SessionOnly;
        }
    }
    const QMutexLocker locked(&sessionLock());
    const auto found = sessionSecrets().constFind(key);
    return found == sessionSecrets().constEnd() ? std::nullopt : std::optional<QString>(*found);
}

void SecretKeeper::keep(const QString &key, const QString &secret, bool inStore)
{
    if (m_store == Store::Desktop && inStore) {
        const auto written = runJob(maker<QKeychain::WritePasswordJob>(key, [secret](QKeychain::WritePasswordJob &job) { job.setTextData(secret); }));
        if (written.storeWorks())
            return;
        m_store = Store::SessionOnly;
    }
    const QMutexLocker locked(&sessionLock());
    sessionSecrets().insert(key, secret);
}

void SecretKeeper::forget(const QString &key)
{
    if (m_store == Store::Desktop)
        runJob(maker<QKeychain::DeletePasswordJob>(key));
    const QMutexLocker locked(&sessionLock());
    sessionSecrets().remove(key);
}
