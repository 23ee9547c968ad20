#include "RegisterPage.h"

#include "MainDialog.h"

#include <QPushButton>

RegisterPage::RegisterPage(const DialogUnits &units, QWidget *parent)
    : QWidget(parent)
{
    m_controls.build(DialogTemplates::registerPage(), this, units);
    auto button = [this](int id) { return qobject_cast<QPushButton *>(control(id)); };
    connect(button(ControlId::Update), &QPushButton::clicked, this, &RegisterPage::OnClickUpdate);
    connect(button(ControlId::Delete), &QPushButton::clicked, this, &RegisterPage::OnClickDelete);
    connect(button(ControlId::RegisterNew), &QPushButton::clicked, this, &RegisterPage::OnClickRegisterNew);
}

void RegisterPage::OnClickUpdate()
{
    if (m_owner)
        m_owner->UpdateSite();
}

void RegisterPage::OnClickDelete()
{
    if (m_owner)
        m_owner->DeleteSite();
}

void RegisterPage::OnClickRegisterNew()
{
    if (m_owner)
        m_owner->RegisterNewSite();
}
