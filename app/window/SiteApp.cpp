#include "SiteApp.h"

#include "AppDirectory.h"
#include "ColourScheme.h"
#include "LinkIntake.h"
#include "MainDialog.h"
#include "PublishControl.h"
#include "PublishDialog.h"
#include "PublishPagesDialog.h"
#include "PageTab.h"
#include "QuitSignals.h"
#include "SingleWindow.h"
#include "SiteSearchBar.h"
#include "UploadServerDialog.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {

// For looking at the window without a person at it: SITEKANRI_SCREENSHOT=file.png makes the
// program save one picture per tab (file.png, file-1.png) once the window is up, and end
// without touching the register; with pages to publish on the list, 公開's plan too
// (file-publish.png) and its page settings (file-pages.png), and with a server for them its
// settings (file-server.png). SITEKANRI_SCREENSHOT_SEARCH=text types text in the search box first.
void ScheduleScreenshots(MainDialog &dialog, const QString &path)
{
    const QString search = qEnvironmentVariable("SITEKANRI_SCREENSHOT_SEARCH");
    if (!search.isEmpty())
        dialog.searchBar()->searchBox()->setText(search);
    QTimer::singleShot(300, &dialog, [&dialog, path] {
        // A virtual screen has no window manager to maximise a window: the screen's room is
        // given here, as a desktop would.
        if (dialog.isMaximized() && dialog.geometry() != dialog.screen()->availableGeometry()) {
            dialog.setGeometry(dialog.screen()->availableGeometry());
            QApplication::processEvents();
        }
        QString base = path;
        if (base.endsWith(QLatin1String(".png")))
            base.chop(4);
        // The link page with a collection in it, and its preview.
        dialog.GenerateLinkCode();
        for (int tab = 0; tab < dialog.pageTab()->count(); ++tab) {
            dialog.pageTab()->setCurrentIndex(tab);
            QApplication::processEvents();
            const QString file = tab == 0 ? base + QStringLiteral(".png") : base + QStringLiteral("-%1.png").arg(tab);
            dialog.grab().save(file);
        }
        // 公開's plan over the pages the list names, when it names any.
        if (!dialog.publishing()->list().pages.empty()) {
            dialog.publishing()->open();
            QApplication::processEvents();
            dialog.publishing()->dialog()->grab().save(base + QStringLiteral("-publish.png"));
        }
        // ページの設定, and the server its pages go to when the list names one.
        if (!dialog.publishing()->list().pages.empty()) {
            PublishPagesDialog pages(dialog.publishing()->list(), PublishList::defaultFile(), &dialog);
            pages.show();
            QApplication::processEvents();
            pages.grab().save(base + QStringLiteral("-pages.png"));
        }
        if (!dialog.publishing()->list().server.isEmpty()) {
            UploadServerDialog server(dialog.publishing()->list().server, QString(), PublishList::defaultFile(), &dialog);
            server.show();
            QApplication::processEvents();
            server.grab().save(base + QStringLiteral("-server.png"));
        }
        dialog.done(QDialog::Rejected);
    });
}

// Ends the window by its close request, after whatever message or question is open over it (no
// answer to a question is a No: nothing is written).
void CloseEverything(MainDialog &dialog)
{
    for (int open = 0; open < 16; ++open) {
        QWidget *modal = QApplication::activeModalWidget();
        auto *box = qobject_cast<QDialog *>(modal);
        if (!box || box == &dialog)
            break;
        box->done(QDialog::Rejected);
    }
    dialog.close();
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
    // Installed first: a signal that comes during start-up ends the window as soon as it can.
    QuitSignals quit;
    // Every link, good or bad, goes to the window, which says what became of it: the one already
    // open on the register, or the one this start opens. A page sending links in a burst then
    // makes one window and one line in it, never a process and a box for each. The exit status
    // and stderr of a start that hands a link over say whether the link was good.
    const QString link = LinkIntake::linkAmong(QApplication::arguments());
    const QString refusal = link.isEmpty() ? QString() : LinkIntake::refusalOf(link);
    if (!refusal.isEmpty())
        std::fprintf(stderr, "%s\n", refusal.toLocal8Bit().constData());
    SingleWindow single(AppDirectory());
    single.setLink(link);
    if (single.claim()) {
        if (single.linkWasTooLong())
            std::fprintf(stderr, "%s\n", LinkIntake::tooLongRefusal(SingleWindow::kMaxRequest).toLocal8Bit().constData());
        return refusal.isEmpty() && !single.linkWasTooLong() ? 0 : 1;
    }
    MainDialog dialog(m_boxes);
    bool quitting = false;
    QObject::connect(&quit, &QuitSignals::received, &dialog, [&dialog, &quitting] {
        quitting = true;
        CloseEverything(dialog);
    });
    if (!dialog.OnInitDialog())
        return 1;
    if (quitting)
        return 0;
    QObject::connect(&single, &SingleWindow::raiseRequested, &dialog, [&dialog] {
        // Out of the task bar if minimised, but a maximised window stays maximised.
        dialog.setWindowState(dialog.windowState() & ~Qt::WindowMinimized);
        dialog.show();
        dialog.raise();
        dialog.activateWindow();
    });
    LinkIntake *intake = dialog.linkIntake();
    QObject::connect(&single, &SingleWindow::linkReceived, intake, &LinkIntake::take);
    QObject::connect(&single, &SingleWindow::linkTooLong, intake, &LinkIntake::takeTooLong);
    if (!link.isEmpty())
        QTimer::singleShot(0, intake, [intake, link] { intake->take(link); });
    const QString screenshot = qEnvironmentVariable("SITEKANRI_SCREENSHOT");
    if (!screenshot.isEmpty())
        ScheduleScreenshots(dialog, screenshot);
    dialog.exec();
    return 0;
}
