#include "PublishUpload.h"

#include "SecretKeeper.h"
#include "UploadQuestions.h"
#include "UploadSettings.h"

#include <QThread>
#include <QWidget>

namespace {

QString words(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

PublishUpload::PublishUpload(const UploadServer &server, const QStringList &files, QWidget *window, bool quiet,
                             QObject *parent)
    : QObject(parent), m_server(server), m_items(UploadRun::itemsOf(server, files)),
      m_secrets(std::make_unique<SecretKeeper>()),
      m_questions(std::make_unique<UploadQuestions>(window, *m_secrets, quiet)), m_quiet(quiet)
{
    m_run = std::make_unique<UploadRun>(m_server, m_items, *m_questions, *m_secrets);
    // The run's signals come from its thread: each reaches this object on the window's.
    connect(m_run.get(), &UploadRun::lineReady, this, [this](const UploadLine &line) {
        const bool there = line.outcome == UploadOutcome::Sent || line.outcome == UploadOutcome::Unchanged;
        m_done += there ? 1 : 0;
        emit lineReady(line.text(m_server), !there);
        emit progressed(m_done, 0, 0);
    });
    connect(m_run.get(), &UploadRun::progress, this,
            [this](const QString &, qint64 sent, qint64 total) { emit progressed(m_done, sent, total); });
}

PublishUpload::~PublishUpload()
{
    if (m_thread) {
        cancel();
        m_thread->wait();
    }
}

void PublishUpload::start()
{
    if (m_thread)
        return;
    m_running = true;
    m_thread = QThread::create([run = m_run.get()] { run->run(); });
    m_thread->setParent(this);
    connect(m_thread, &QThread::finished, this, &PublishUpload::ended);
    m_thread->start();
}

void PublishUpload::cancel()
{
    m_run->cancel();
    m_questions->stop();
}

const QList<UploadLine> &PublishUpload::lines() const
{
    // Read only once the run's thread has ended.
    static const QList<UploadLine> none;
    return m_running ? none : m_run->lines();
}

QString PublishUpload::summary() const
{
    int counts[4] = {0, 0, 0, 0};
    for (const UploadLine &line : lines())
        ++counts[int(line.outcome)];
    QStringList parts{words("送信 %1").arg(counts[int(UploadOutcome::Sent)]),
                      words("変更なし %1").arg(counts[int(UploadOutcome::Unchanged)])};
    if (counts[int(UploadOutcome::Failed)])
        parts << words("失敗 %1").arg(counts[int(UploadOutcome::Failed)]);
    if (counts[int(UploadOutcome::NotSent)])
        parts << words("未送信 %1").arg(counts[int(UploadOutcome::NotSent)]);
    return parts.join(words("、"));
}

void PublishUpload::ended()
{
    m_running = false;
    // A certificate accepted or plain FTP agreed to during the run is kept, whatever its outcome.
    UploadSettings::keepLearnt(m_run->server());
    emit finished(m_run->succeeded());
}
