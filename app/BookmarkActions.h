#pragma once

#include <QObject>
#include <QString>

class FileDialogs;
class QAction;
class QToolButton;
class QWidget;
class SiteRegister;
class UndoHistory;

// Bookmark files in and out of the window: "ブックマークの取り込み" (Ctrl+I) and
// "ブックマークの書き出し" (Ctrl+E), as actions that a button's menu, a context menu and the keys
// share. The import is one operation on the register, whose announcements bring the new records
// into the list; its summary opens in a window of its own (ImportSummaryDialog), and any
// failure goes to the owner to show.
class BookmarkActions : public QObject
{
    Q_OBJECT
public:
    // The actions work on `siteRegister` and ask their files over `window`, to which they are
    // added so that their keys work anywhere in it, in a text field too. With `history`, an
    // import is one step there: one undo takes back exactly the sites it added.
    BookmarkActions(SiteRegister &siteRegister, QWidget *window, UndoHistory *history = nullptr);
    ~BookmarkActions() override;

    QAction *importAction() const { return m_import; }
    QAction *exportAction() const { return m_export; }
    // A small button with both actions in its menu.
    QToolButton *makeButton(QWidget *parent) const;

    // Tests answer the file dialogs themselves; the desktop's are used until then.
    void setFileDialogs(FileDialogs &dialogs) { m_dialogs = &dialogs; }

    // Asks for a file, then imports it or writes the register to it.
    void importBookmarks();
    void exportBookmarks();
    void importFile(const QString &path);
    void exportFile(const QString &path);

signals:
    // What an export did, for the owner to show (an import shows its own summary).
    void reported(const QString &text);
    // 元に戻す in the summary of the import just made: the owner takes the import back.
    void undoImportRequested();
    // Why nothing was imported or written.
    void failed(const QString &text);

private:
    QString startDirectory() const;

    SiteRegister &m_register;
    UndoHistory *m_history;
    QWidget *m_window;
    FileDialogs *m_dialogs;
    QAction *m_import;
    QAction *m_export;
    // Where the last bookmark file was, to start the next dialog there.
    QString m_directory;
};
