#include "MessageBoxes.h"

#include <QMessageBox>

void DialogMessageBoxes::showMessage(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::warning(parent, title, text, QMessageBox::Ok);
}

MessageBoxes::Answer DialogMessageBoxes::askYesNo(QWidget *parent, const QString &title, const QString &text,
                                                  Answer preset)
{
    const QMessageBox::StandardButton button = QMessageBox::question(
        parent, title, text, QMessageBox::Yes | QMessageBox::No,
        preset == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return button == QMessageBox::Yes ? Answer::Yes : Answer::No;
}
