#pragma once

#include <QList>
#include <QObject>

#include <functional>

class QAction;
class QPoint;
class QTableView;
class QWidget;
class UndoHistory;

// The list's commands for the mouse: a double-click opens the row's site, and the context menu
// (right click, the menu key, Shift+F10) offers the list's own actions in order, so that any
// part of the window adds its entries with addAction() on the list; an action whose "needsRow"
// property is true is offered only with a current row. Undo and redo are among them, on their
// keys everywhere in the window; in a text field of the window the keys undo its typing first,
// as in any field, and reach the register's history once the field has nothing left to undo.
class SiteListCommands : public QObject
{
    Q_OBJECT
public:
    // `hasRow` tells whether the list has a row to act on; `checkLinks`, when given, joins the
    // menu after the history's entries.
    SiteListCommands(QWidget &window, QTableView &list, const UndoHistory &history, std::function<bool()> hasRow,
                     QAction *checkLinks);

    // Undo and redo, for other windows over the same register to answer their keys too.
    QList<QAction *> historyActions() const { return {m_undo, m_redo}; }

signals:
    void openRequested();
    void copyUrlRequested();
    void deleteRequested();
    void undoRequested();
    void redoRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *addListAction(const char *objectName, const char *text, const QKeySequence &key);
    void followHistory();
    void showMenu(const QPoint &at);

    QWidget &m_window;
    QTableView &m_list;
    const UndoHistory &m_history;
    std::function<bool()> m_hasRow;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
};
