#include "DialogPage.h"

#include <QKeyEvent>

DialogPage::DialogPage(const DialogTemplate &dialog, const DialogUnits &units, QWidget *parent)
    : QWidget(parent)
{
    m_controls.build(dialog, this, units);
}

void DialogPage::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
