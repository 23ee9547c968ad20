#pragma once

#include "LinkCodeDocument.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QRadioButton;

// Asks how the link collection is to be written (encoding, a page around it and its title) and
// then where, with the desktop's file dialog.
class LinkSaveDialog : public QDialog
{
    Q_OBJECT
public:
    LinkSaveDialog(const LinkCodeFormat &format, QWidget *parent = nullptr);

    LinkCodeFormat format() const;

    // Runs the dialog, then the file dialog, which starts at `suggested` (the documents folder
    // when empty): the path chosen, or an empty one when the user cancelled either.
    QString run(const QString &suggested);

    // Chooses the file in place of the file dialog (tests): given the dialog and a suggested
    // name, returns the path, or an empty one for a cancel.
    using PathChooser = std::function<QString(QWidget *parent, const QString &suggested)>;
    static void setPathChooser(PathChooser chooser);

private:
    QRadioButton *m_codePage;
    QRadioButton *m_utf8;
    QCheckBox *m_asPage;
    QLineEdit *m_title;
};
