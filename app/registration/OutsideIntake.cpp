#include "OutsideIntake.h"

#include "BookmarkActions.h"
#include "BookmarkletAction.h"
#include "DialogTemplate.h"
#include "FieldsRecord.h"
#include "LinkIntake.h"
#include "LinkOfferBar.h"
#include "MainControls.h"
#include "TitleFetchControl.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

OutsideIntake::OutsideIntake(SiteRegister &siteRegister, UndoHistory &history, MainControls &controls,
                             const FieldsRecord &fields, QWidget &window)
    : QObject(&window)
    , m_bookmarks(new BookmarkActions(siteRegister, &window, &history))
    , m_fields(fields)
    , m_window(window)
{
    connect(m_bookmarks, &BookmarkActions::exported, this, &OutsideIntake::told);
    connect(m_bookmarks, &BookmarkActions::failed, this, &OutsideIntake::failed);
    connect(m_bookmarks, &BookmarkActions::undoImportRequested, this, &OutsideIntake::undoImportRequested);
    addFromBrowser(*addBookmarkButton(controls)->menu(), controls, window);
    takeLinks(controls);
}

// Beside "サイトジャンプ", as wide as the caption needs, following the window's corner as the
// button does: the window has no menu bar.
QToolButton *OutsideIntake::addBookmarkButton(MainControls &controls)
{
    auto *jump = controls.control<QPushButton>(ControlId::SiteJump);
    QToolButton *button = m_bookmarks->makeButton(jump->parentWidget());
    controls.placeBefore(button, ControlId::SiteJump, 4);
    button->show();
    QWidget::setTabOrder(jump, button);
    return button;
}

// What comes from the browser: the bookmarklet in the bookmark button's menu, and the title
// fetch beside the URL field.
void OutsideIntake::addFromBrowser(QMenu &menu, MainControls &controls, QWidget &window)
{
    auto *bookmarklet = new BookmarkletAction(this);
    connect(bookmarklet, &BookmarkletAction::copied, this, &OutsideIntake::reported);
    menu.addSeparator();
    menu.addAction(bookmarklet);
    m_titleFetch = new TitleFetchControl(*controls.control<QLineEdit>(ControlId::SiteUrl),
                                         *controls.control<QLineEdit>(ControlId::SiteName),
                                         *controls.control<QLineEdit>(ControlId::Content), window);
    connect(m_titleFetch, &TitleFetchControl::reported, this, &OutsideIntake::reported);
    connect(m_titleFetch, &TitleFetchControl::failed, this, &OutsideIntake::failed);
}

void OutsideIntake::takeLinks(MainControls &controls)
{
    m_links = new LinkIntake(this);
    m_offers = new LinkOfferBar(*controls.control<QLineEdit>(ControlId::SiteName), &m_window);
    controls.placeBelowList(m_offers);
    connect(m_links, &LinkIntake::siteOffered, this, &OutsideIntake::offer);
    connect(m_links, &LinkIntake::refused, m_offers, &LinkOfferBar::refuse);
    connect(m_offers, &LinkOfferBar::fillRequested, this,
            [this](const SiteLink::Parsed &link) { emit siteTaken(SiteLink::fieldsOf(link)); });
}

void OutsideIntake::offer(const SiteLink::Parsed &link)
{
    const QWidget *modal = QApplication::activeModalWidget();
    const bool asking = modal && modal != &m_window;
    if (asking || m_offers->holdsOffer() || m_fields.holdsUnsavedText())
        m_offers->offer(link);
    else
        emit siteTaken(SiteLink::fieldsOf(link));
}
