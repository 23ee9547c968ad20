#include "LinkPage.h"

#include "LinkCodeBox.h"
#include "LinkPreview.h"
#include "NewSiteMark.h"
#include "LinkSaveDialog.h"
#include "TemplateLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>

LinkPage::LinkPage(const DialogUnits &units, QWidget *parent)
    : DialogPage(DialogTemplates::linkPage(), units, parent)
{
    splitOutputBox();
    connect(qobject_cast<QPushButton *>(control(ControlId::CopyCode)), &QPushButton::clicked, this,
            &LinkPage::CopyLinkCode);
    connect(qobject_cast<QPushButton *>(control(ControlId::SaveCode)), &QPushButton::clicked, this,
            &LinkPage::SaveLinkCode);
    announceClicks(ControlId::GenerateCode, &LinkPage::generateRequested);
    announceClicks(ControlId::Publish, &LinkPage::publishRequested);
    announceClicks(ControlId::ExcludeDeadLinks, &LinkPage::deadLinkOptionChanged);
    announceClicks(ControlId::ListOrder, &LinkPage::orderOptionChanged);
    announceClicks(ControlId::NewMarks, &LinkPage::newMarkOptionChanged);
    // An edit of a template starts empty: the 新着 mark starts as a week and NEW!.
    qobject_cast<QLineEdit *>(control(ControlId::NewDays))->setText(QStringLiteral("7"));
    qobject_cast<QLineEdit *>(control(ControlId::NewMarkHtml))->setText(QString::fromLatin1(NewSiteMark::DefaultHtml()));
    for (int id : {ControlId::NewDays, ControlId::NewMarkHtml})
        connect(qobject_cast<QLineEdit *>(control(id)), &QLineEdit::textEdited, this, &LinkPage::newMarkOptionChanged);
    // Clicks and arrow keys alike; the program setting a mode is no choice of the user's.
    for (int id : {ControlId::ModeName, ControlId::ModeContent, ControlId::ModeNameAndContent})
        announceClicks(id, &LinkPage::modeChanged);
    connect(qobject_cast<QComboBox *>(control(ControlId::KeywordCombo)), &QComboBox::activated, this,
            &LinkPage::keywordChosen);
}

// The output box's rectangle holds the code above and its preview below, the user moving the
// line between them.
void LinkPage::splitOutputBox()
{
    auto *code = qobject_cast<LinkCodeBox *>(control(ControlId::LinkCode));
    auto *splitter = new QSplitter(Qt::Vertical, this);
    // The splitter takes the box's place in the layout before the box moves into it: a child
    // leaving the page leaves its layout too.
    templateLayout()->standIn(code, new QWidgetItem(splitter));
    splitter->setChildrenCollapsible(false);
    m_preview = new LinkPreview(splitter);
    splitter->insertWidget(0, code);
    splitter->setAccessibleName(QString::fromUtf8("出力コードとプレビュー"));
    for (int i = 0; i < splitter->count(); ++i)
        splitter->handle(i)->setAccessibleName(QString::fromUtf8("出力コードとプレビューの境界"));
    // Moving the box into the splitter moved it in the focus chain: the template's order again,
    // the preview right after the box.
    const std::vector<int> &order = DialogTemplates::linkPage().focusOrder;
    QWidget *previous = nullptr;
    for (int id : order) {
        QWidget *next = control(id);
        if (previous)
            setTabOrder(previous, next);
        previous = next == code ? m_preview : next;
        if (next == code)
            setTabOrder(code, m_preview);
    }
    connect(code, &LinkCodeBox::linkCodeChanged, m_preview, &LinkPreview::showCode);
}

void LinkPage::CopyLinkCode()
{
    emit codeWanted();
    auto *output = qobject_cast<LinkCodeBox *>(control(ControlId::LinkCode));
    output->selectAll();
    output->ensureCursorVisible();
    output->copy();
}

void LinkPage::SaveLinkCode()
{
    LinkSaveDialog dialog(m_saveFormat, this);
    const QString path = dialog.run(m_savePath);
    if (path.isEmpty())
        return;
    m_saveFormat = dialog.format();
    m_savePath = path;
    // The register may have changed while the dialog was open: what is saved is what the box
    // shows, and the box shows the register as it is.
    emit codeWanted();
    const QByteArray code = qobject_cast<LinkCodeBox *>(control(ControlId::LinkCode))->linkCodeBytes();
    const IoResult written = WriteLinkCodeDocument(path, BuildLinkCodeDocument(code, m_saveFormat));
    if (!written)
        emit saveFailed(QString::fromUtf8("「%1」に保存できませんでした。\n%2").arg(written.file, written.reason));
    else
        emit saved(path);
}
