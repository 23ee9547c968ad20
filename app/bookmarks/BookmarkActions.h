#pragma once

#include <QObject>
#include <QString>

#include <memory>

class FileDialogs;
class MessageBoxes;
class QAction;
class QProgressDialog;
class QThread;
class QTimer;
class QToolButton;
class QWidget;
class SiteRegister;
class UndoHistory;

// Bookmark files in and out of the window: "ブックマークの取り込み" (Ctrl+I) and
// "ブックマークの書き出し" (Ctrl+E), as actions that a button's menu, a context menu and the keys
// share. The import is one operation on the register, whose announcements bring the new records
// into the list; its summary opens in a window of its own (ImportSummaryDialog), and any
// failure goes to the owner to show. Where bookmarks have more tags and folders than three
// keywords hold, it asks first which come first.
//
// The file is read in a thread of its own, under a progress bar with 中止, so that a large or
// hostile file never holds up the window; only the write into the register, one operation, runs
// in the window's thread once the reading is done.
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
    // The window's boxes, for the import's question (which keywords come first).
    void setMessageBoxes(MessageBoxes &boxes) { m_boxes = &boxes; }

    // Asks for a file, then imports it or writes the register to it.
    void importBookmarks();
    void exportBookmarks();
    // Starts reading `path`; the outcome comes later, through the summary window or failed, then
    // importFinished. An import asked for while one runs is not started.
    void importFile(const QString &path);
    void exportFile(const QString &path);
    bool isImporting() const { return m_worker != nullptr; }
    // Stops a running import between two pieces of its file; nothing of it is written.
    void cancelImport();

signals:
    // What an export did, for the owner to tell in passing, as where a saved file went is told
    // (an import shows its own summary).
    void exported(const QString &text);
    // 元に戻す in the summary of the import just made: the owner takes the import back.
    void undoImportRequested();
    // Why nothing was imported or written.
    void failed(const QString &text);
    // An import has ended, whatever came of it.
    void importFinished();

private:
    struct Reading;

    QString startDirectory() const;
    void finishImport(const QString &path);

    SiteRegister &m_register;
    UndoHistory *m_history;
    QWidget *m_window;
    FileDialogs *m_dialogs;
    MessageBoxes *m_boxes;
    QAction *m_import;
    QAction *m_export;
    // Where the last bookmark file was, to start the next dialog there.
    QString m_directory;
    std::shared_ptr<Reading> m_reading;
    QThread *m_worker = nullptr;
    QProgressDialog *m_progress = nullptr;
    QTimer *m_poll = nullptr;
};
