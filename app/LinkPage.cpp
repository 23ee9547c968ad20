#include "LinkPage.h"

#include "MainDialog.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

LinkPage::LinkPage(const DialogUnits &units, QWidget *parent)
    : QWidget(parent)
{
    m_controls.build(DialogTemplates::linkPage(), this, units);
    auto button = [this](int id) { return qobject_cast<QPushButton *>(control(id)); };
    connect(button(ControlId::CopyCode), &QPushButton::clicked, this, &LinkPage::CopyLinkCode);
    connect(button(ControlId::GenerateCode), &QPushButton::clicked, this, &LinkPage::OnClickGenerate);
    // Only the user's choice of an entry counts, not a change made by the program itself.
    connect(qobject_cast<QComboBox *>(control(ControlId::KeywordCombo)), &QComboBox::activated, this,
            &LinkPage::OnSelectKeyword);
}

void LinkPage::CopyLinkCode()
{
    auto *output = qobject_cast<QPlainTextEdit *>(control(ControlId::LinkCode));
    output->selectAll();
    output->copy();
}

void LinkPage::OnClickGenerate()
{
    if (m_owner)
        m_owner->GenerateLinkCode();
}

void LinkPage::OnSelectKeyword()
{
    if (m_owner)
        m_owner->SelectKeywordFilter();
}
