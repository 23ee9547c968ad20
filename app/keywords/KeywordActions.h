#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class KeywordDialog;
class MessageBoxes;
class QAction;
class QTableView;
class QWidget;
class SiteListPanel;
class SiteRegister;
class StatusLine;
class UndoHistory;
struct KeywordOutcome;

// Keywords as a tool in the window: the keyword view (Ctrl+K, and the list's menu), whose chosen
// keyword narrows the list, is renamed or merged into another, or is taken off every site; and a
// keyword set on the sites chosen in the list (the list's menu). Each change asks once, is one
// operation and one undo step, and tells what it did in the status line, naming in a message
// the sites it left alone.
class KeywordActions : public QObject
{
    Q_OBJECT
public:
    // `shared` (undo and redo) answer their keys in the keyword view too.
    KeywordActions(QWidget &window, SiteRegister &siteRegister, UndoHistory &history, SiteListPanel &list,
                   QTableView &view, MessageBoxes &boxes, StatusLine &status, QList<QAction *> shared);

    QAction *viewAction() const { return m_view; }
    QAction *setAction() const { return m_set; }
    // Opens the keyword view over the register as it is now, or brings it forward.
    void openView();
    // Asks for a keyword and sets it on the sites chosen in the list.
    void setOnChosenSites();
    void rename(const QByteArray &keyword);
    void remove(const QByteArray &keyword);

private:
    void refreshView();
    // False, with the reason shown, when the register takes no writes.
    bool writable();
    void report(const KeywordOutcome &outcome);
    QString caption() const;

    QWidget &m_window;
    SiteRegister &m_register;
    UndoHistory &m_history;
    SiteListPanel &m_list;
    MessageBoxes &m_boxes;
    StatusLine &m_status;
    QAction *m_view;
    QAction *m_set;
    QList<QAction *> m_shared;
    QPointer<KeywordDialog> m_dialog;
    // Changes made elsewhere come in slice by slice: the view counts again once they rest.
    QTimer m_recount;
};
