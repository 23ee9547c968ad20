#pragma once

#include "SiteLink.h"

#include <QObject>

class BookmarkActions;
class FieldsRecord;
class LinkIntake;
class LinkOfferBar;
class MainControls;
class SiteRegister;
class TitleFetchControl;
class UndoHistory;
class QMenu;
class QToolButton;
class QWidget;

// What the window takes from outside itself, beside what is typed: bookmark files in and out
// (the bookmark button beside "サイトジャンプ" and its menu), the bookmarklet in that menu, the
// title fetch beside the URL field, and the sitekanri: links web pages send. It places its
// controls and tells the window what to show.
//
// A link goes into the fields only when they hold nothing the user would lose (empty, or the
// record they were filled from, unchanged) and no question is open (filling the fields under a
// question would change what it asks about); otherwise it waits in the offer bar. Refusals go
// there too: a page sending bad links in a burst makes one line, never a pile of boxes.
class OutsideIntake : public QObject
{
    Q_OBJECT
public:
    OutsideIntake(SiteRegister &siteRegister, UndoHistory &history, MainControls &controls, const FieldsRecord &fields,
                  QWidget &window);

    BookmarkActions *bookmarks() const { return m_bookmarks; }
    // Where the links a browser hands over go in.
    LinkIntake *links() const { return m_links; }

signals:
    // An outcome to show as information, one to tell in passing (below the list), and a problem
    // to show as a message.
    void reported(const QString &text);
    void told(const QString &text);
    void failed(const QString &text);
    // The import summary's 元に戻す: the import is the last step of the history.
    void undoImportRequested();
    // A site from a link, to go into the fields (which hold nothing the user would lose, or the
    // user asked for it).
    void siteTaken(const SiteFields &fields);

private:
    QToolButton *addBookmarkButton(MainControls &controls);
    void addFromBrowser(QMenu &menu, MainControls &controls, QWidget &window);
    void takeLinks(MainControls &controls);
    void offer(const SiteLink::Parsed &link);

    BookmarkActions *m_bookmarks;
    TitleFetchControl *m_titleFetch = nullptr;
    const FieldsRecord &m_fields;
    QWidget &m_window;
    LinkIntake *m_links = nullptr;
    LinkOfferBar *m_offers = nullptr;
};
