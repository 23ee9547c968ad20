#include "ControlSet.h"

#include "ClickablePicture.h"
#include "DialogUnits.h"
#include "LinkCodeBox.h"
#include "ResourceImages.h"
#include "ScriptFont.h"
#include "TemplateLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <limits>

namespace {

constexpr int kIconBesideText = 16;

QPushButton *makeButton(const ControlTemplate &control, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    const QString text = QString::fromUtf8(control.text);
    // Enter does nothing in the window (there is no default button), so no button may become
    // the default one by taking the focus.
    button->setAutoDefault(false);
    button->setText(text);
    if (control.kind == ControlKind::IconButton) {
        // The icon beside the words the help page uses for the button, as large as leaves the
        // words room in the template's button.
        button->setIcon(ResourceImages::icon(control.image));
        button->setIconSize(QSize(kIconBesideText, kIconBesideText));
        button->setToolTip(text);
        button->setAccessibleName(text);
    }
    return button;
}

QWidget *makeStandard(const ControlTemplate &control, QWidget *parent)
{
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::IconButton:
        return makeButton(control, parent);
    case ControlKind::Edit: {
        auto *edit = new QLineEdit(parent);
        // A field takes a value of any length the register holds; the default limit (32767)
        // would cut a long content, and 更新 would store it cut.
        edit->setMaxLength(std::numeric_limits<int>::max());
        ScriptFont::follow(*edit);
        return edit;
    }
    case ControlKind::OutputBox:
        return new LinkCodeBox(parent);
    case ControlKind::Label:
        return new QLabel(text, parent);
    case ControlKind::GroupBox: {
        auto *box = new QGroupBox(text, parent);
        // A frame drawn behind the controls it groups: clicks go to them, not to it.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        return box;
    }
    case ControlKind::RadioButton:
        return new QRadioButton(text, parent);
    case ControlKind::CheckBox:
        return new QCheckBox(text, parent);
    case ControlKind::DropDownList: {
        auto *combo = new QComboBox(parent);
        combo->setEditable(false);
        combo->setInsertPolicy(QComboBox::InsertAtBottom);
        return combo;
    }
    case ControlKind::Picture: {
        auto *picture = new ClickablePicture(parent);
        picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        picture->setLineWidth(1);
        picture->setAlignment(Qt::AlignCenter);
        picture->setPixmap(ResourceImages::bitmap(control.image));
        return picture;
    }
    case ControlKind::ListView:
    case ControlKind::TabControl:
        break;
    }
    return nullptr;
}

// The template rectangle in pixels; a drop-down list is as high as its closed box, the open
// list being part of its template height, and a picture as large as its bitmap and frame: a
// frame any larger would stand apart from the picture as a stray line.
QRect placement(const ControlTemplate &control, QWidget *widget, const DialogUnits &units)
{
    QRect rect = units.toPixels(control.rect);
    if (control.kind == ControlKind::DropDownList)
        rect.setHeight(widget->sizeHint().height());
    if (control.kind == ControlKind::Picture)
        rect.setSize(widget->sizeHint());
    return rect;
}

} // namespace

void ControlSet::build(const DialogTemplate &dialog, QWidget *parent, const DialogUnits &units, const Factory &custom)
{
    QHash<QString, QLabel *> labels;
    m_units = &units;
    m_layout = new TemplateLayout(units.toPixels(dialog.size), parent);
    for (const ControlTemplate &control : dialog.controls) {
        QWidget *widget = makeStandard(control, parent);
        if (!widget && custom)
            widget = custom(control, parent);
        if (!widget)
            continue;
        m_layout->addWidget(widget, placement(control, widget, units), control.grow);
        // Frames lie beneath the controls they overlap, whatever the template order: a tab
        // control made after "サイトジャンプ" would otherwise cover the button's lower part and
        // take its clicks.
        if (control.kind == ControlKind::GroupBox || control.kind == ControlKind::TabControl)
            widget->lower();
        if (!control.tabStop && widget->focusPolicy() != Qt::NoFocus)
            widget->setFocusPolicy(Qt::ClickFocus);
        if (control.id != 0) {
            widget->setObjectName(QString::number(control.id));
            m_controls.insert(control.id, widget);
        } else if (auto *label = qobject_cast<QLabel *>(widget)) {
            labels.insert(label->text(), label);
        }
    }
    for (const ControlName &naming : dialog.names) {
        QWidget *widget = control(naming.id);
        if (!widget)
            continue;
        widget->setAccessibleName(QString::fromUtf8(naming.name));
        if (QLabel *label = naming.label ? labels.value(QString::fromUtf8(naming.label)) : nullptr)
            label->setBuddy(widget);
    }
    for (std::size_t i = 1; i < dialog.focusOrder.size(); ++i)
        QWidget::setTabOrder(control(dialog.focusOrder[i - 1]), control(dialog.focusOrder[i]));
}

void ControlSet::placeBefore(QWidget *widget, int id, int gap)
{
    // In the layout that holds the control now, wherever the window has put it.
    QWidget *control = this->control(id);
    auto *layout = control ? qobject_cast<TemplateLayout *>(control->parentWidget()->layout()) : nullptr;
    const TemplateLayout::Placement *beside = layout ? layout->placementOf(control) : nullptr;
    if (!beside)
        return;
    const int width = widget->sizeHint().width();
    const QRect at = beside->rect;
    layout->addWidget(widget, QRect(at.x() - width - m_units->toPixelsX(gap), at.y(), width, at.height()), beside->shares);
}
