#pragma once

#include "MessageBoxes.h"

class QApplication;

// The program: sets up the application (Japanese standard dialogs, the name that places the
// register), then runs the main window until it is closed.
class SiteApp
{
public:
    explicit SiteApp(QApplication &application);

    // Runs the main window; returns the process's exit code: 0, or 1 when start-up ended
    // without a window (the register could not be read). A window already open on the same
    // register is brought to the front instead and handed this start's sitekanri: link, and 0
    // returned (1 when the link was bad or too long: that window shows why).
    int InitInstance();

private:
    void InstallTranslation(QApplication &application);

    DialogMessageBoxes m_boxes;
};
