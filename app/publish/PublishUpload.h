#pragma once

#include "UploadRun.h"
#include "UploadServer.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class QThread;
class QWidget;
class SecretKeeper;
class UploadQuestions;

// The upload that follows a publish: the files of the site sent to the publication's server by a
// run on a thread of its own, so that the window goes on; its questions asked over `window`
// (UploadQuestions), or, when `quiet`, none asked and each a no. Deleting it stops the run and
// waits for its thread (within about a second).
class PublishUpload : public QObject
{
    Q_OBJECT
public:
    PublishUpload(const UploadServer &server, const QStringList &files, QWidget *window, bool quiet,
                  QObject *parent = nullptr);
    ~PublishUpload() override;

    void start();
    // 中止: the file on its way stays as it was on the server, those after it are not sent.
    void cancel();
    bool running() const { return m_running; }
    // Asks nothing (a publish on change).
    bool quiet() const { return m_quiet; }
    const UploadServer &server() const { return m_server; }
    int fileCount() const { return int(m_items.size()); }
    // Every file's line, once finished.
    const QList<UploadLine> &lines() const;
    // "送信 2、変更なし 8、失敗 1" and the like.
    QString summary() const;
    // Once finished: every file sent or unchanged.
    bool succeeded() const { return !m_running && m_run->succeeded(); }

signals:
    // A file's line, as the window shows it, as soon as it is known.
    void lineReady(const QString &text, bool failed);
    // `done` files are on the server as they are here; the one on its way has `sent` of its
    // `total` bytes there.
    void progressed(int done, qint64 sent, qint64 total);
    void finished(bool succeeded);

private:
    void ended();

    UploadServer m_server;
    QList<UploadItem> m_items;
    std::unique_ptr<SecretKeeper> m_secrets;
    std::unique_ptr<UploadQuestions> m_questions;
    std::unique_ptr<UploadRun> m_run;
    QThread *m_thread = nullptr;
    int m_done = 0;
    bool m_running = false;
    bool m_quiet;
};
