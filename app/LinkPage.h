#pragma once

#include "ControlSet.h"

#include <QWidget>

class DialogUnits;
class MainDialog;

// Page 1 of the tab: the keyword combo, the output mode, the generated HTML and the buttons that
// generate and copy it. Copying is the page's own work; everything else reaches the main window.
class LinkPage : public QWidget
{
    Q_OBJECT
public:
    LinkPage(const DialogUnits &units, QWidget *parent = nullptr);

    QWidget *control(int id) const { return m_controls.control(id); }

    // Puts the whole output box on the clipboard as plain text.
    void CopyLinkCode();

    MainDialog *m_owner = nullptr;

private:
    void OnClickGenerate();
    void OnSelectKeyword();

    ControlSet m_controls;
};
