#include "RegisterPage.h"

RegisterPage::RegisterPage(const DialogUnits &units, QWidget *parent)
    : DialogPage(DialogTemplates::registerPage(), units, parent)
{
    announceClicks(ControlId::Update, &RegisterPage::updateRequested);
    announceClicks(ControlId::Delete, &RegisterPage::deleteRequested);
    announceClicks(ControlId::RegisterNew, &RegisterPage::registerRequested);
    announceClicks(ControlId::NewSite, &RegisterPage::newSiteRequested);
}
