#pragma once

#include "PublishList.h"
#include "UploadServer.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <vector>

class Publication;
class PublishDialog;
class PublishUpload;
class SiteSession;
class QWidget;

// 「公開」 of the window: the register's list of pages on this computer, a publish planned and shown
// (PublishDialog), then written when the user says so, and its files sent to the publication's
// server, if it names one (PublishUpload); and, when the list asks for it, a publish of its own
// after every change of the register, which writes and sends without a question (a question
// needed stops its upload) and tells in the line below the list what it did or could not do.
class PublishControl : public QObject
{
    Q_OBJECT
public:
    // `registerFolder` keys the list; `listFile` is where lists are kept (the default's in use).
    PublishControl(QWidget &window, const SiteSession &session, const QString &registerFolder,
                   const QString &listFile = PublishList::defaultFile(), QObject *parent = nullptr);
    ~PublishControl() override;

    // Plans a publish of the list's pages and shows what it will change.
    void open();
    // The dialog open now, or null.
    PublishDialog *dialog() const;
    // The upload under way or last made, or null.
    PublishUpload *upload() const { return m_upload.get(); }
    const PublishList &list() const { return m_list; }

    // The register or the results of the last check changed: a publish on change is due.
    void registerChanged();

signals:
    // A line for the status line: what a publish on change did.
    void told(const QString &text);

private:
    std::unique_ptr<Publication> plan() const;
    // The publication's server; `problem` says why there is none to send to when it names one.
    UploadServer server(QString *problem) const;
    bool planUpload(const Publication &plan);
    void startUpload(const Publication &written, bool quiet);
    void publishShown();
    void editPages();
    void publishQuietly();
    void toldQuietly(int written, int refused, const PublishUpload *upload);

    QWidget &m_window;
    const SiteSession &m_session;
    QString m_registerFolder;
    QString m_listFile;
    PublishList m_list;
    std::unique_ptr<Publication> m_shown;
    QPointer<PublishDialog> m_dialog;
    std::unique_ptr<PublishUpload> m_upload;
    // Uploads stopped for a newer one, kept until their threads have ended.
    std::vector<std::unique_ptr<PublishUpload>> m_stopping;
    QTimer m_onChange;
    bool m_changedWhileUploading = false;
};
