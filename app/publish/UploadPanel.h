#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

// The part of 公開 that tells about the server: before 公開 where the files go and how many are to
// be sent, then one line per file as each is known, the progress of the one on its way, and 中止.
class UploadPanel : public QWidget
{
    Q_OBJECT
public:
    explicit UploadPanel(QWidget *parent = nullptr);

    // Before 公開: what will be sent where; or why nothing can be (`problem`).
    void showPlan(const QString &text, bool problem);
    void started(int files);
    void addLine(const QString &text, bool failed);
    void progressed(int done, qint64 sent, qint64 total);
    void finished(const QString &summary, bool succeeded);

    QString text() const;
    QStringList lines() const;
    bool cancellable() const;

signals:
    void cancelRequested();

private:
    QLabel *m_text = nullptr;
    QProgressBar *m_progress = nullptr;
    QListWidget *m_lines = nullptr;
    QPushButton *m_cancel = nullptr;
    int m_files = 0;
};
