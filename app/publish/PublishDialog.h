#pragma once

#include <QDialog>

class Publication;
class QLabel;
class QPushButton;
class QTreeWidget;
class UploadPanel;

// 「公開」: what a publish will change, page by page (sites added, removed, changed, or nothing;
// or why a page cannot be published), and after 公開 what it did. It writes nothing itself: it
// tells its owner what the user asked for.
class PublishDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PublishDialog(QWidget *parent = nullptr);

    // The plan of a publish, before anything is written; `hasPages` false when the list is empty;
    // `uploadPending` true when the server lacks some of the site's files as they stand, which
    // 公開 then sends though no page changes.
    void showPlan(const Publication &plan, bool hasPages, bool uploadPending = false);
    // What the publish did.
    void showResult(const Publication &done);

    QString summary() const;
    // Where the files go: shown only for a publication that names a server.
    UploadPanel *uploadPanel() const { return m_upload; }

signals:
    void publishRequested();
    void pagesRequested();

private:
    void fill(const Publication &publication, bool done);

    QLabel *m_summary = nullptr;
    QTreeWidget *m_files = nullptr;
    QPushButton *m_publish = nullptr;
    QPushButton *m_pages = nullptr;
    UploadPanel *m_upload = nullptr;
};
