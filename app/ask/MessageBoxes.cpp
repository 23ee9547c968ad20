#include "MessageBoxes.h"

#include "DisplayText.h"

#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

// The text as written: a site named "<b>X</b>" must not read as a bold X.
QMessageBox::StandardButton run(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton preset)
{
    // Shortened: a name of a megabyte takes seconds to lay out.
    const QString shown = DisplayText::shortened(text);
    QMessageBox box(icon, title, shown, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    // Read out with the box, not only found by walking into it.
    box.setAccessibleDescription(shown);
    box.setDefaultButton(preset);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace

void DialogMessageBoxes::showMessage(QWidget *parent, const QString &title, const QString &text)
{
    run(parent, QMessageBox::Warning, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void DialogMessageBoxes::showInformation(QWidget *parent, const QString &title, const QString &text)
{
    run(parent, QMessageBox::Information, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

MessageBoxes::Answer DialogMessageBoxes::askYesNo(QWidget *parent, const QString &title, const QString &text,
                                                  Answer preset)
{
    const QMessageBox::StandardButton button =
        run(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
            preset == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return button == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

int DialogMessageBoxes::askChoice(QWidget *parent, const QString &title, const QString &text, const QStringList &choices,
                                  int preset)
{
    QMessageBox box(QMessageBox::Question, title, DisplayText::shortened(text), QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    box.setAccessibleDescription(box.text());
    QList<QAbstractButton *> buttons;
    for (const QString &choice : choices)
        buttons << box.addButton(choice, QMessageBox::AcceptRole);
    if (QAbstractButton *chosen = buttons.value(preset))
        box.setDefaultButton(qobject_cast<QPushButton *>(chosen));
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

bool DialogMessageBoxes::askText(QWidget *parent, const QString &title, const QString &label, const QStringList &offered,
                                 QString &text)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(DisplayText::shortened(label));
    if (!offered.isEmpty()) {
        dialog.setComboBoxItems(offered);
        dialog.setComboBoxEditable(true);
    }
    dialog.setTextValue(text);
    // The field a screen reader lands in says what it asks for.
    for (QWidget *field : dialog.findChildren<QWidget *>()) {
        if (qobject_cast<QLineEdit *>(field) || qobject_cast<QComboBox *>(field))
            field->setAccessibleName(dialog.labelText());
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    text = dialog.textValue();
    return true;
}
