#pragma once

#include "PublishList.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

// A page of our own on the list: the file it is written to, its title, how each site is written
// (with its 新着 mark), the recent additions and, when the user has one, the template it is made
// from. For a feed or a blogroll (the entry's kind says which), the file, the title and, for a
// feed, how many sites it holds.
class OwnPageDialog : public QDialog
{
    Q_OBJECT
public:
    explicit OwnPageDialog(const PageEntry &entry, QWidget *parent = nullptr);

    PageEntry entry() const;

private:
    void choosePath();
    void chooseTemplate();

    PageEntry m_entry;
    QLineEdit *m_path = nullptr;
    QLineEdit *m_title = nullptr;
    QComboBox *m_mode = nullptr;
    QCheckBox *m_skipDead = nullptr;
    QLineEdit *m_template = nullptr;
    QSpinBox *m_newDays = nullptr;
    QLineEdit *m_newMark = nullptr;
    QSpinBox *m_recent = nullptr;
    QComboBox *m_dateStyle = nullptr;
};
