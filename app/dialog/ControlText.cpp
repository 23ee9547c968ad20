#include "ControlText.h"

#include "LinkCodeBox.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

QString ControlText(const QWidget *control)
{
    if (auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->text();
    if (auto *box = qobject_cast<const LinkCodeBox *>(control))
        return box->linkCode();
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    return {};
}

void SetControlText(QWidget *control, const QString &text)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->setText(text);
    else if (auto *box = qobject_cast<LinkCodeBox *>(control))
        box->setLinkCode(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
}
