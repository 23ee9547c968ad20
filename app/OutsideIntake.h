#pragma once

#include <QObject>

class BookmarkActions;
class MainControls;
class SiteRegister;
class TitleFetchControl;
class UndoHistory;
class QMenu;
class QToolButton;
class QWidget;

// What the window takes from outside itself, beside what is typed: bookmark files in and out
// (the bookmark button beside "サイトジャンプ" and its menu), the bookmarklet in that menu, and
// the title fetch beside the URL field. It places its controls and tells the window what to show.
class OutsideIntake : public QObject
{
    Q_OBJECT
public:
    OutsideIntake(SiteRegister &siteRegister, UndoHistory &history, MainControls &controls, QWidget &window);

    BookmarkActions *bookmarks() const { return m_bookmarks; }

signals:
    // An outcome to show as information, and a problem to show as a message.
    void reported(const QString &text);
    void failed(const QString &text);
    // The import summary's 元に戻す: the import is the last step of the history.
    void undoImportRequested();

private:
    QToolButton *addBookmarkButton(MainControls &controls);
    void addFromBrowser(QMenu &menu, MainControls &controls, QWidget &window);

    BookmarkActions *m_bookmarks;
    TitleFetchControl *m_titleFetch = nullptr;
};
