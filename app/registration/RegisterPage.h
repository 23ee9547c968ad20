#pragma once

#include "DialogPage.h"

// Page 0 of the tab: the six fields of one site and the buttons that register, update and
// delete, and 新規, which starts a new site. The page keeps no copy of the fields; the main window reads them by ID.
class RegisterPage : public DialogPage
{
    Q_OBJECT
public:
    RegisterPage(const DialogUnits &units, QWidget *parent = nullptr);

signals:
    void registerRequested();
    void updateRequested();
    void deleteRequested();
    void newSiteRequested();
};
