#include "SiteListCommands.h"

#include "DisplayText.h"
#include "KeyboardCommands.h"
#include "MainDialog.h"
#include "UndoHistory.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QTableView>

namespace {

// Lets undo and redo keys through a field that has nothing of its own to undo or redo.
class FieldUndoPassage : public QObject
{
public:
    FieldUndoPassage(QAction *undo, QAction *redo, QObject *parent) : QObject(parent), m_undo(undo), m_redo(redo) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *edit = qobject_cast<QLineEdit *>(watched);
        if (!edit || event->type() != QEvent::ShortcutOverride)
            return false;
        const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
        if (m_undo->shortcuts().contains(pressed))
            return !edit->isUndoAvailable();
        if (m_redo->shortcuts().contains(pressed))
            return !edit->isRedoAvailable();
        return false;
    }

private:
    QAction *m_undo;
    QAction *m_redo;
};

// An action for the list's menu; `key` is a key the window already answers, shown beside it.
QAction *listAction(MainDialog &dialog, const char *objectName, const char *text, const QKeySequence &key = {})
{
    QString label = QString::fromUtf8(text);
    if (!key.isEmpty())
        label += QLatin1Char('\t') + key.toString(QKeySequence::NativeText);
    auto *action = new QAction(label, &dialog);
    action->setObjectName(QLatin1String(objectName));
    dialog.siteView()->addAction(action);
    return action;
}

void showMenu(MainDialog &dialog, const QPoint &at)
{
    QTableView *view = dialog.siteView();
    const bool hasRow = dialog.GetSelectedSiteRow() >= 0;
    auto *menu = new QMenu(&dialog);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setToolTipsVisible(true);
    for (QAction *action : view->actions()) {
        // The entries about a row need one.
        if (action->property("needsRow").toBool())
            action->setEnabled(hasRow);
        menu->addAction(action);
    }
    menu->popup(view->viewport()->mapToGlobal(at));
}

} // namespace

void InstallSiteListCommands(MainDialog &dialog)
{
    QTableView *view = dialog.siteView();
    const struct
    {
        const char *name, *text;
        void (MainDialog::*run)();
        QKeySequence key;
    } rowEntries[] = {
        {"openSiteAction", "サイトを開く", &MainDialog::OnSiteJump, QKeySequence(Qt::CTRL | Qt::Key_J)},
        {"copyUrlAction", "URLをコピー", &MainDialog::CopySiteUrl, {}},
        {"deleteSiteAction", "削除", &MainDialog::DeleteSite, QKeySequence(QKeySequence::Delete)},
    };
    for (const auto &entry : rowEntries) {
        QAction *action = listAction(dialog, entry.name, entry.text, entry.key);
        action->setProperty("needsRow", true);
        QObject::connect(action, &QAction::triggered, &dialog, entry.run);
    }
    listAction(dialog, "listSeparator", "")->setSeparator(true);
    QAction *undo = listAction(dialog, "undoAction", "元に戻す");
    QAction *redo = listAction(dialog, "redoAction", "やり直す");
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    QObject::connect(undo, &QAction::triggered, &dialog, &MainDialog::UndoOperation);
    QObject::connect(redo, &QAction::triggered, &dialog, &MainDialog::RedoOperation);
    // The link check, which has no button of its own, is found here by the mouse too.
    if (auto *checkLinks = dialog.findChild<QAction *>(QStringLiteral("checkLinksAction"))) {
        listAction(dialog, "checkSeparator", "")->setSeparator(true);
        view->addAction(checkLinks);
    }

    // Each entry tells what it would take back or make again, and its key.
    UndoHistory &history = dialog.undoHistory();
    const auto follow = [&history, undo, redo] {
        undo->setEnabled(history.canUndo());
        redo->setEnabled(history.canRedo());
        const QString undone = history.canUndo() ? history.undoText() + QString::fromUtf8("を") : QString();
        const QString redone = history.canRedo() ? history.redoText() + QString::fromUtf8("を") : QString();
        // The entries name a site, which may look like markup.
        undo->setToolTip(DisplayText::toolTip(WithKey(undone + QString::fromUtf8("元に戻す"), undo->shortcut())));
        redo->setToolTip(DisplayText::toolTip(WithKey(redone + QString::fromUtf8("やり直す"), redo->shortcut())));
    };
    QObject::connect(&history, &UndoHistory::changed, undo, follow);
    follow();

    auto *passage = new FieldUndoPassage(undo, redo, &dialog);
    for (QLineEdit *field : dialog.findChildren<QLineEdit *>())
        field->installEventFilter(passage);

    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(view, &QWidget::customContextMenuRequested, &dialog,
                     [&dialog](const QPoint &at) { showMenu(dialog, at); });
    // The menu key reaches the list as a context menu request; Shift+F10, the other key for it,
    // does not on every desktop. Its menu stands at the current row.
    auto *menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), view, nullptr, nullptr, Qt::WidgetShortcut);
    QObject::connect(menuKey, &QShortcut::activated, &dialog, [&dialog, view] {
        const QModelIndex current = view->currentIndex();
        showMenu(dialog, current.isValid() ? view->visualRect(current).center() : QPoint(0, 0));
    });
    // The row under the pointer is already current: the press made it so.
    QObject::connect(view, &QAbstractItemView::doubleClicked, &dialog, &MainDialog::OnSiteJump);
}
