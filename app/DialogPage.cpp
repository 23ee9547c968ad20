#include "DialogPage.h"

#include "MainDialog.h"

#include <QAbstractButton>

DialogPage::DialogPage(const DialogTemplate &dialog, const DialogUnits &units, QWidget *parent)
    : QWidget(parent)
{
    m_controls.build(dialog, this, units);
}

void DialogPage::forwardClicks(int id, void (MainDialog::*operation)())
{
    connect(qobject_cast<QAbstractButton *>(control(id)), &QAbstractButton::clicked, this,
            [this, operation] { forward(operation); });
}

void DialogPage::forward(void (MainDialog::*operation)())
{
    if (m_owner)
        (m_owner->*operation)();
}
