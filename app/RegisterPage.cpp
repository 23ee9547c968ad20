#include "RegisterPage.h"

#include "MainDialog.h"

RegisterPage::RegisterPage(const DialogUnits &units, QWidget *parent)
    : DialogPage(DialogTemplates::registerPage(), units, parent)
{
    forwardClicks(ControlId::Update, &MainDialog::UpdateSite);
    forwardClicks(ControlId::Delete, &MainDialog::DeleteSite);
    forwardClicks(ControlId::RegisterNew, &MainDialog::RegisterNewSite);
}
