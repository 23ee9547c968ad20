#include "LinkCheckLauncher.h"

#include "LinkCheckWindow.h"
#include "LinkResults.h"
#include "RegistrationOperations.h"
#include "SiteRegister.h"
#include "SiteSession.h"

#include <QAction>
#include <QWidget>

LinkCheckLauncher::LinkCheckLauncher(QWidget &window, SiteSession &session)
    : QObject(&window), m_window(window), m_session(session), m_action(new QAction(QStringLiteral("リンクの確認…"), &window))
{
    m_action->setObjectName(QStringLiteral("checkLinksAction"));
    m_action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    window.addAction(m_action);
    connect(m_action, &QAction::triggered, this, &LinkCheckLauncher::requested);
}

void LinkCheckLauncher::open(const QByteArray &keyword, std::vector<std::size_t> selected)
{
    if (!m_checkWindow) {
        m_checkWindow = new LinkCheckWindow(m_session.sites(), LinkResults::defaultPath(), keyword, std::move(selected), &m_window);
        m_checkWindow->setAttribute(Qt::WA_DeleteOnClose);
        m_checkWindow->addActions(m_shared);
        connect(m_checkWindow, &LinkCheckWindow::urlUpdateRequested, this, &LinkCheckLauncher::moveRequested);
        connect(m_checkWindow, &LinkCheckWindow::checkFinished, this, &LinkCheckLauncher::checkFinished);
    }
    m_checkWindow->show();
    m_checkWindow->raise();
    m_checkWindow->activateWindow();
}

void LinkCheckLauncher::takeMove(int number, const QByteArray &oldUrl, const QByteArray &newUrl)
{
    const SiteSession::LinkMove move = m_session.moveLink(number, oldUrl, newUrl);
    if (move.stale)
        emit failed(QStringLiteral("確認の後にサイトが変更または削除されたため、URLを更新しませんでした。"));
    else if (!move.result.done())
        emit failed(OperationMessage(move.result, m_session.siteRegister().settingPath()));
    else
        emit urlMoved(number, newUrl);
}
