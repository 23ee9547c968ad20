#pragma once

#include "ControlSet.h"

#include <QAbstractButton>
#include <QWidget>

class DialogUnits;

// A page of the tab, built from its dialog template. A page does no work of its own: it tells
// what the user asked for through its signals, and the window connects them to its operations.
class DialogPage : public QWidget
{
    Q_OBJECT
public:
    DialogPage(const DialogTemplate &dialog, const DialogUnits &units, QWidget *parent);

    QWidget *control(int id) const { return m_controls.control(id); }

protected:
    TemplateLayout *templateLayout() const { return m_controls.layout(); }
    // Clicks on button `id` are told as `signal`.
    template <class Page>
    void announceClicks(int id, void (Page::*signal)())
    {
        connect(qobject_cast<QAbstractButton *>(control(id)), &QAbstractButton::clicked,
                static_cast<Page *>(this), signal);
    }
    // Escape in a page does nothing: what was typed in its fields is never lost to a stray key.
    void keyPressEvent(QKeyEvent *event) override;

private:
    ControlSet m_controls;
};
