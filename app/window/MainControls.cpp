#include "MainControls.h"

#include "DialogUnits.h"
#include "ListPageSplitter.h"
#include "PageTab.h"
#include "RowFocusDelegate.h"
#include "SiteSearchBar.h"
#include "SiteView.h"
#include "StatusLine.h"
#include "TemplateLayout.h"

#include <QVBoxLayout>

void MainControls::build(QWidget &window)
{
    m_controls.build(DialogTemplates::mainDialog(), &window, m_units,
                     [this](const ControlTemplate &control, QWidget *parent) { return makeControl(control, parent); });
    splitListAndPages(window);
}

QWidget *MainControls::makeControl(const ControlTemplate &control, QWidget *parent)
{
    switch (control.kind) {
    case ControlKind::ListView: {
        auto *view = new SiteView(parent);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setTabKeyNavigation(false);
        view->setItemDelegate(new RowFocusDelegate(view));
        return view;
    }
    case ControlKind::TabControl:
        m_pageTab = new PageTab(m_units, parent);
        return m_pageTab;
    default:
        return nullptr;
    }
}

// Above the splitter the list, with the search bar above it and the status line below; below it
// the tab, with サイトジャンプ on the row of its headers. At the template's size each stands where
// the template puts it; the room beyond goes to the list (see ListPageSplitter).
void MainControls::splitListAndPages(QWidget &window)
{
    TemplateLayout *layout = m_controls.layout();
    QWidget *list = siteView();
    QWidget *jump = control(ControlId::SiteJump);
    const QRect listRect = layout->placementOf(list)->rect;
    const QRect tabRect = layout->placementOf(m_pageTab)->rect;
    const QPoint pagesAt(tabRect.left(), layout->placementOf(jump)->rect.top());

    // The panes are the splitter's from the start: a widget without a parent would be a window.
    m_splitter = new ListPageSplitter(&window);
    m_splitter->setObjectName(QStringLiteral("listAndPages"));
    m_splitter->setAccessibleName(QStringLiteral("サイト一覧とページ"));
    auto *listPane = new QWidget(m_splitter);
    auto *column = new QVBoxLayout(listPane);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(m_units.toPixelsY(2));
    m_searchBar = new SiteSearchBar(listPane);
    column->addWidget(m_searchBar);
    layout->removeWidget(list);
    column->addWidget(list, 1);
    m_statusLine = new StatusLine(listPane);
    column->addWidget(m_statusLine);
    m_listColumn = column;

    auto *pagesPane = new QWidget(m_splitter);
    auto *pages = new TemplateLayout(QRect(pagesAt, tabRect.bottomRight()).size(), pagesPane);
    for (QWidget *widget : {jump, static_cast<QWidget *>(m_pageTab)}) {
        const QRect rect = layout->placementOf(widget)->rect.translated(-pagesAt);
        layout->removeWidget(widget);
        pages->addWidget(widget, rect, widget == jump ? kFollowRight : kGrowBoth);
    }
    m_pageTab->lower(); // サイトジャンプ stands over the tab's top edge

    m_splitter->addWidget(listPane);
    m_splitter->addWidget(pagesPane);
    m_splitter->handle(1)->setAccessibleName(QStringLiteral("サイト一覧とページの境目"));
    layout->addWidget(m_splitter, QRect(listRect.topLeft(), tabRect.bottomRight()), kGrowBoth);
}

void MainControls::placeBelowList(QWidget *widget)
{
    m_listColumn->addWidget(widget);
}

QWidget *MainControls::control(int id) const
{
    if (QWidget *widget = m_controls.control(id))
        return widget;
    return m_pageTab->control(id);
}

QTableView *MainControls::siteView() const
{
    return control<QTableView>(ControlId::SiteList);
}
