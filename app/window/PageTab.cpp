#include "PageTab.h"

#include "LinkPage.h"
#include "RegisterPage.h"

#include <QTabBar>

PageTab::PageTab(const DialogUnits &units, QWidget *parent)
    : QTabWidget(parent)
{
    m_pages[0] = new RegisterPage(units, this);
    m_pages[1] = new LinkPage(units, this);
    m_pages[1]->hide();
    // The tab headers are reached by mouse and by the page keys (Ctrl+Tab, Alt+1, ...); Tab moves
    // from the controls of the window straight into the shown page.
    tabBar()->setFocusPolicy(Qt::ClickFocus);
    setFocusPolicy(Qt::NoFocus);
}

void PageTab::CreatePages()
{
    if (count() != 0)
        return;
    addTab(m_pages[0], QString::fromUtf8("サイト / リンク 登録"));
    addTab(m_pages[1], QString::fromUtf8("リンク集の作成"));
    // A screen reader entering a page names it, as the tab does on screen.
    for (int page = 0; page < count(); ++page)
        widget(page)->setAccessibleName(tabText(page));
    setCurrentIndex(0);
}

RegisterPage *PageTab::registerPage() const
{
    return static_cast<RegisterPage *>(m_pages[0]);
}

LinkPage *PageTab::linkPage() const
{
    return static_cast<LinkPage *>(m_pages[1]);
}

QWidget *PageTab::control(int id) const
{
    for (DialogPage *page : m_pages) {
        if (QWidget *widget = page->control(id))
            return widget;
    }
    return nullptr;
}
