#include "DialogPage.h"

#include "LinkPage.h"
#include "RegisterPage.h"

#include <QAbstractButton>
#include <QKeyEvent>

DialogPage::DialogPage(const DialogTemplate &dialog, const DialogUnits &units, QWidget *parent)
    : QWidget(parent)
{
    m_controls.build(dialog, this, units);
}

template <class Page>
void DialogPage::announceClicks(int id, void (Page::*signal)())
{
    connect(qobject_cast<QAbstractButton *>(control(id)), &QAbstractButton::clicked, static_cast<Page *>(this),
            signal);
}

template void DialogPage::announceClicks(int, void (RegisterPage::*)());
template void DialogPage::announceClicks(int, void (LinkPage::*)());

void DialogPage::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
