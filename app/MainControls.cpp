#include "MainControls.h"

#include "DialogUnits.h"
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
    placeList(window);
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

void MainControls::placeList(QWidget &window)
{
    auto *column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(m_units.toPixelsY(2));
    m_controls.layout()->standIn(siteView(), column);
    column->addWidget(siteView(), 1);
    m_searchBar = new SiteSearchBar(&window);
    column->insertWidget(0, m_searchBar);
    m_statusLine = new StatusLine(&window);
    column->addWidget(m_statusLine);
    m_listColumn = column;
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
