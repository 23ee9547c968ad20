#include "LinkPage.h"

#include "LinkCodeBox.h"
#include "MainDialog.h"

#include <QComboBox>
#include <QPushButton>

LinkPage::LinkPage(const DialogUnits &units, QWidget *parent)
    : DialogPage(DialogTemplates::linkPage(), units, parent)
{
    connect(qobject_cast<QPushButton *>(control(ControlId::CopyCode)), &QPushButton::clicked, this,
            &LinkPage::CopyLinkCode);
    forwardClicks(ControlId::GenerateCode, &MainDialog::GenerateLinkCode);
    // Only the user's choice of an entry counts, not a change made by the program itself.
    connect(qobject_cast<QComboBox *>(control(ControlId::KeywordCombo)), &QComboBox::activated, this,
            [this] { forward(&MainDialog::SelectKeywordFilter); });
}

void LinkPage::CopyLinkCode()
{
    auto *output = qobject_cast<LinkCodeBox *>(control(ControlId::LinkCode));
    output->selectAll();
    output->ensureCursorVisible();
    output->copy();
}
