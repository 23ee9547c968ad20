#pragma once

#include "ControlSet.h"

#include <QWidget>

class DialogUnits;
class MainDialog;

// Page 0 of the tab: the six fields of one site and the buttons that register, update and
// delete. The page keeps no copy of the fields; its buttons only reach the main window.
class RegisterPage : public QWidget
{
    Q_OBJECT
public:
    RegisterPage(const DialogUnits &units, QWidget *parent = nullptr);

    QWidget *control(int id) const { return m_controls.control(id); }

    MainDialog *m_owner = nullptr;

private:
    void OnClickUpdate();
    void OnClickDelete();
    void OnClickRegisterNew();

    ControlSet m_controls;
};
