#pragma once

#include "DialogPage.h"

// Page 1 of the tab: the keyword combo, the output mode, the generated HTML and the buttons that
// generate and copy it. Copying is the page's own work; everything else it tells the window.
class LinkPage : public DialogPage
{
    Q_OBJECT
public:
    LinkPage(const DialogUnits &units, QWidget *parent = nullptr);

    // Puts the whole output box on the clipboard as plain text, exactly as generated, and leaves
    // it selected.
    void CopyLinkCode();

signals:
    void generateRequested();
    // The user chose an entry of the keyword combo (not a change the program made itself).
    void keywordChosen();
    // The user chose another output mode.
    void modeChanged();
};
