#pragma once

#include "PublishList.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

// ページの設定: the pages of this register on this computer (the user's own marked pages, folders
// of them, and pages of our own), whether every change of the register publishes them, and the
// server they are sent to (アップロード先…, UploadServerDialog).
class PublishPagesDialog : public QDialog
{
    Q_OBJECT
public:
    // `listFile`: where the lists of pages are kept (a server renamed there is renamed in them).
    explicit PublishPagesDialog(const PublishList &list, const QString &listFile = PublishList::defaultFile(),
                                QWidget *parent = nullptr);

    PublishList list() const;

private:
    void addFiles();
    void addFolder();
    // A file the publish makes whole: a page of our own, a feed, a blogroll.
    void addMade(PageEntry::Kind kind);
    void editChosen();
    void removeChosen();
    void refill(int current);
    void chooseServer();
    void showServer();

    PublishList m_list;
    QString m_listFile;
    QListWidget *m_pages = nullptr;
    QLabel *m_server = nullptr;
    QCheckBox *m_onChange = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_remove = nullptr;
};
