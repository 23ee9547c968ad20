#pragma once

#include "UploadServer.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// アップロード先: the server a register's pages go to after 公開, one of the servers of this
// computer (upload.ini) or a new one, its settings edited in place: the protocol (SFTP, FTPS, or
// FTP after a warning), host, port, user, the folder on the server, how an SFTP login proves who
// it is, and the site folder that folder mirrors. OK keeps them in upload.ini; a server renamed
// there is renamed in every list of pages (publishing.ini) that names it. 削除 removes a server at
// once, from every list too, and its secrets from the store; so does a login changed, for the
// old login's secrets.
class UploadServerDialog : public QDialog
{
    Q_OBJECT
public:
    // `chosen`: the name of the publication's server now (empty: none); `siteFolder`: the folder
    // a new server's site folder starts from; `listFile`: where the lists of pages are kept.
    UploadServerDialog(const QString &chosen, const QString &siteFolder, const QString &listFile, QWidget *parent = nullptr);

    // The name of the server chosen, empty for none.
    QString chosen() const { return m_chosen; }

    void accept() override;

private:
    void refill(const QString &name);
    void choose();
    void showServer(const UploadServer &server);
    UploadServer formServer() const;
    QString formProblem(const UploadServer &server) const;
    void followProtocol();
    void removeChosen();
    void chooseFolder(QLineEdit *line, bool file);

    QString m_listFile;
    QString m_siteFolder;
    QString m_chosen;
    QList<UploadServer> m_servers;
    UploadServer m_shown; // as it was stored (a new one: empty)
    QComboBox *m_choice = nullptr;
    QWidget *m_form = nullptr;
    QLineEdit *m_name = nullptr;
    QComboBox *m_protocol = nullptr;
    QLabel *m_clearText = nullptr;
    QLineEdit *m_host = nullptr;
    QSpinBox *m_port = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_folder = nullptr;
    QComboBox *m_login = nullptr;
    QLineEdit *m_keyFile = nullptr;
    QWidget *m_keyRow = nullptr;
    QLineEdit *m_site = nullptr;
    QLabel *m_problem = nullptr;
    QPushButton *m_remove = nullptr;
};

// Forgets the password and passphrase kept for `server` in the desktop's secret store, on a
// thread of the pool (the store answers through an event loop of its own).
void ForgetServerSecrets(const UploadServer &server);
