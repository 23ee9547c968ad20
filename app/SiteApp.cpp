#include "SiteApp.h"

#include "ColourScheme.h"
#include "MainDialog.h"
#include "PageTab.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>

namespace {

// For looking at the window without a person at it: SITEKANRI_SCREENSHOT=file.png makes the
// program save one picture per tab (file.png, file-1.png) once the window is up, and end
// without touching the register.
void ScheduleScreenshots(MainDialog &dialog, const QString &path)
{
    QTimer::singleShot(300, &dialog, [&dialog, path] {
        QString base = path;
        if (base.endsWith(QLatin1String(".png")))
            base.chop(4);
        for (int tab = 0; tab < dialog.pageTab()->count(); ++tab) {
            dialog.pageTab()->setCurrentIndex(tab);
            QApplication::processEvents();
            const QString file = tab == 0 ? base + QStringLiteral(".png") : base + QStringLiteral("-%1.png").arg(tab);
            dialog.grab().save(file);
        }
        dialog.done(QDialog::Rejected);
    });
}

} // namespace

SiteApp::SiteApp(QApplication &application)
{
    // The register directory is found by this name (the per-user data folder).
    QApplication::setApplicationName(QStringLiteral("sitekanri"));
    // Wayland matches the window to its desktop entry (and so its icon and name) by this.
    QGuiApplication::setDesktopFileName(QStringLiteral(SITEKANRI_APP_ID));
    InstallTranslation(application);
    ApplyColourScheme(application);
}

void SiteApp::InstallTranslation(QApplication &application)
{
    // The program speaks Japanese whatever the desktop's language: the standard buttons read
    // はい / いいえ / OK and the edit fields' menus are Japanese.
    auto *translator = new QTranslator(&application);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

int SiteApp::InitInstance()
{
    MainDialog dialog(m_boxes);
    if (!dialog.OnInitDialog())
        return 1;
    const QString screenshot = qEnvironmentVariable("SITEKANRI_SCREENSHOT");
    if (!screenshot.isEmpty())
        ScheduleScreenshots(dialog, screenshot);
    dialog.exec();
    return 0;
}
