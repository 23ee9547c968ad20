#pragma once

#include "ControlSet.h"

#include <QWidget>

class DialogUnits;
class MainDialog;

// A page of the tab, built from its dialog template. A page does no work of its own: its
// buttons reach operations of the main window, once the tab has handed it its owner.
class DialogPage : public QWidget
{
    Q_OBJECT
public:
    DialogPage(const DialogTemplate &dialog, const DialogUnits &units, QWidget *parent);

    QWidget *control(int id) const { return m_controls.control(id); }

    MainDialog *m_owner = nullptr;

protected:
    // Clicks on button `id` call `operation` of the owner; nothing happens while there is none.
    void forwardClicks(int id, void (MainDialog::*operation)());
    void forward(void (MainDialog::*operation)());

private:
    ControlSet m_controls;
};
