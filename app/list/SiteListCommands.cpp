#include "SiteListCommands.h"

#include "DisplayText.h"
#include "KeyboardCommands.h"
#include "UndoHistory.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QTableView>

SiteListCommands::SiteListCommands(QWidget &window, QTableView &list, const UndoHistory &history,
                                   std::function<bool()> hasRow, QAction *checkLinks)
    : QObject(&window), m_window(window), m_list(list), m_history(history), m_hasRow(std::move(hasRow))
{
    const struct
    {
        const char *name, *text;
        void (SiteListCommands::*signal)();
        QKeySequence key;
    } rowEntries[] = {
        {"openSiteAction", "サイトを開く", &SiteListCommands::openRequested, QKeySequence(Qt::CTRL | Qt::Key_J)},
        {"copyUrlAction", "URLをコピー", &SiteListCommands::copyUrlRequested, {}},
        {"deleteSiteAction", "削除", &SiteListCommands::deleteRequested, QKeySequence(QKeySequence::Delete)},
    };
    for (const auto &entry : rowEntries) {
        QAction *action = addListAction(entry.name, entry.text, entry.key);
        action->setProperty("needsRow", true);
        connect(action, &QAction::triggered, this, entry.signal);
    }
    addListAction("listSeparator", "", {})->setSeparator(true);
    m_undo = addListAction("undoAction", "元に戻す", {});
    m_redo = addListAction("redoAction", "やり直す", {});
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(m_undo, &QAction::triggered, this, &SiteListCommands::undoRequested);
    connect(m_redo, &QAction::triggered, this, &SiteListCommands::redoRequested);
    // The link check, which has no button of its own, is found here by the mouse too.
    if (checkLinks) {
        addListAction("checkSeparator", "", {})->setSeparator(true);
        list.addAction(checkLinks);
    }
    connect(&history, &UndoHistory::changed, this, &SiteListCommands::followHistory);
    followHistory();
    // Every field of the window, those made later too, lets the history's keys through once it
    // has nothing of its own to take back.
    qApp->installEventFilter(this);

    list.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&list, &QWidget::customContextMenuRequested, this, &SiteListCommands::showMenu);
    // The menu key reaches the list as a context menu request; Shift+F10, the other key for it,
    // does not on every desktop. Its menu stands at the current row.
    auto *menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), &list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(menuKey, &QShortcut::activated, this, [this] {
        const QModelIndex current = m_list.currentIndex();
        showMenu(current.isValid() ? m_list.visualRect(current).center() : QPoint(0, 0));
    });
    // The row under the pointer is already current: the press made it so.
    connect(&list, &QAbstractItemView::doubleClicked, this, &SiteListCommands::openRequested);
}

// An action for the list's menu; `key` is a key the window already answers, shown beside it.
QAction *SiteListCommands::addListAction(const char *objectName, const char *text, const QKeySequence &key)
{
    QString label = QString::fromUtf8(text);
    if (!key.isEmpty())
        label += QLatin1Char('\t') + key.toString(QKeySequence::NativeText);
    auto *action = new QAction(label, &m_window);
    action->setObjectName(QLatin1String(objectName));
    m_list.addAction(action);
    return action;
}

// Each entry tells what it would take back or make again, and its key.
void SiteListCommands::followHistory()
{
    m_undo->setEnabled(m_history.canUndo());
    m_redo->setEnabled(m_history.canRedo());
    const QString undone = m_history.canUndo() ? m_history.undoText() + QString::fromUtf8("を") : QString();
    const QString redone = m_history.canRedo() ? m_history.redoText() + QString::fromUtf8("を") : QString();
    // The entries name a site, which may look like markup.
    m_undo->setToolTip(DisplayText::toolTip(WithKey(undone + QString::fromUtf8("元に戻す"), m_undo->shortcut())));
    m_redo->setToolTip(DisplayText::toolTip(WithKey(redone + QString::fromUtf8("やり直す"), m_redo->shortcut())));
}

void SiteListCommands::showMenu(const QPoint &at)
{
    const bool hasRow = m_hasRow();
    auto *menu = new QMenu(&m_window);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setToolTipsVisible(true);
    for (QAction *action : m_list.actions()) {
        // The entries about a row need one.
        if (action->property("needsRow").toBool())
            action->setEnabled(hasRow);
        menu->addAction(action);
    }
    menu->popup(m_list.viewport()->mapToGlobal(at));
}

// Lets undo and redo keys through a field of the window that has nothing of its own to undo or
// redo.
bool SiteListCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit || !m_window.isAncestorOf(edit))
        return false;
    const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
    if (m_undo->shortcuts().contains(pressed))
        return !edit->isUndoAvailable();
    if (m_redo->shortcuts().contains(pressed))
        return !edit->isRedoAvailable();
    return false;
}
