#include "LinkPage.h"

#include "LinkCodeBox.h"

#include <QComboBox>
#include <QPushButton>

LinkPage::LinkPage(const DialogUnits &units, QWidget *parent)
    : DialogPage(DialogTemplates::linkPage(), units, parent)
{
    connect(qobject_cast<QPushButton *>(control(ControlId::CopyCode)), &QPushButton::clicked, this,
            &LinkPage::CopyLinkCode);
    announceClicks(ControlId::GenerateCode, &LinkPage::generateRequested);
    // Clicks and arrow keys alike; the program setting a mode is no choice of the user's.
    for (int id : {ControlId::ModeName, ControlId::ModeContent, ControlId::ModeNameAndContent})
        announceClicks(id, &LinkPage::modeChanged);
    connect(qobject_cast<QComboBox *>(control(ControlId::KeywordCombo)), &QComboBox::activated, this,
            &LinkPage::keywordChosen);
}

void LinkPage::CopyLinkCode()
{
    auto *output = qobject_cast<LinkCodeBox *>(control(ControlId::LinkCode));
    output->selectAll();
    output->ensureCursorVisible();
    output->copy();
}
