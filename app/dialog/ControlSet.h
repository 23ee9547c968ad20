#pragma once

#include "DialogTemplate.h"

#include <QHash>
#include <QWidget>

#include <functional>

class DialogUnits;
class TemplateLayout;

// The controls of one dialog template, made on a parent widget and found again by ID, so that
// the operations of the window can read and write them by the IDs of the templates.
class ControlSet
{
public:
    // Makes the controls the dialog owns itself (the list, the tab control): returns the widget
    // for such a control, parented to `parent`.
    using Factory = std::function<QWidget *(const ControlTemplate &control, QWidget *parent)>;

    // Creates every control of the template on `parent`, in template order, lays it out at its
    // template rectangle (following the parent's growth as the template says), names it for screen readers and ties its label to it. The focus moves
    // through the controls in the template's focus order, else in template order.
    void build(const DialogTemplate &dialog, QWidget *parent, const DialogUnits &units, const Factory &custom = {});

    // The control with this ID, or null.
    QWidget *control(int id) const { return m_controls.value(id); }
    // The parent's layout, made by build.
    TemplateLayout *layout() const { return m_layout; }
    // Lays `widget` out just left of control `id`, `gap` dialog units away, as wide as it asks
    // and as high as that control, following the parent's growth as the control does.
    void placeBefore(QWidget *widget, int id, int gap);

private:
    QHash<int, QWidget *> m_controls;
    TemplateLayout *m_layout = nullptr;
    const DialogUnits *m_units = nullptr;
};
