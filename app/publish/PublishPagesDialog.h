#pragma once

#include "PublishList.h"

#include <QDialog>

class QCheckBox;
class QListWidget;
class QPushButton;

// ページの設定: the pages of this register on this computer (the user's own marked pages, folders
// of them, and pages of our own), and whether every change of the register publishes them.
class PublishPagesDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PublishPagesDialog(const PublishList &list, QWidget *parent = nullptr);

    PublishList list() const;

private:
    void addFiles();
    void addFolder();
    void addOwnPage();
    void editChosen();
    void removeChosen();
    void refill(int current);

    PublishList m_list;
    QListWidget *m_pages = nullptr;
    QCheckBox *m_onChange = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_remove = nullptr;
};
