#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>

#include <cstddef>
#include <vector>

class LinkCheckWindow;
class QAction;
class QWidget;
class SiteSession;

// The link check (Ctrl+L), which has no button of its own: its action, the one check window over
// the register, opened on demand or brought forward, and the moved URLs taken from it.
class LinkCheckLauncher : public QObject
{
    Q_OBJECT
public:
    // The action works anywhere in `window`, over which the check window opens.
    LinkCheckLauncher(QWidget &window, SiteSession &session);

    QAction *action() const { return m_action; }
    // Opens the check over the register as it is now, for the sites of `keyword` or the
    // `selected` register positions, or brings the open one forward.
    void open(const QByteArray &keyword, std::vector<std::size_t> selected);
    // Takes the URL a permanent move leads to for site `number`, unless the site has changed
    // since it was checked.
    void takeMove(int number, const QByteArray &oldUrl, const QByteArray &newUrl);
    // Actions of the main window the check window answers the keys of too: undo and redo, so
    // that a URL taken there is taken back there by Ctrl+Z, as the one step it is.
    void shareActions(const QList<QAction *> &actions) { m_shared = actions; }

signals:
    // The action was triggered: the owner opens the check with what the list has chosen.
    void requested();
    // A check ended: its results are in the results file.
    void checkFinished();
    // The user took the URL a permanent move leads to, for site `number`.
    void moveRequested(int number, const QByteArray &oldUrl, const QByteArray &newUrl);
    // Site `number` now has `newUrl`.
    void urlMoved(int number, const QByteArray &newUrl);
    // Why a move was not taken.
    void failed(const QString &message);

private:
    QWidget &m_window;
    SiteSession &m_session;
    QAction *m_action;
    QPointer<LinkCheckWindow> m_checkWindow;
    QList<QAction *> m_shared;
};
