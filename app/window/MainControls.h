#pragma once

#include "ControlSet.h"

class DialogUnits;
class PageTab;
class ListPageSplitter;
class QTableView;
class SiteSearchBar;
class StatusLine;
class QVBoxLayout;

// The main window's controls as its template lays them out, found by template ID: the
// template's own, the tab with the two pages (and their controls), and the list in a column of
// its own, which the search bar above it and the status line below it share. The list's column
// and the tab share the window's height by a splitter the user drags (ListPageSplitter).
class MainControls
{
public:
    explicit MainControls(const DialogUnits &units) : m_units(units) {}
    // Makes the controls on `window`, which has its font by then: the template's sizes are in
    // units of that font.
    void build(QWidget &window);

    // Any control of the window or of its pages, by template ID; null for an unknown ID.
    QWidget *control(int id) const;
    template <class Widget>
    Widget *control(int id) const { return qobject_cast<Widget *>(control(id)); }

    PageTab *pageTab() const { return m_pageTab; }
    QTableView *siteView() const;
    SiteSearchBar *searchBar() const { return m_searchBar; }
    StatusLine *statusLine() const { return m_statusLine; }
    ListPageSplitter *splitter() const { return m_splitter; }
    // Lays `widget` out at the foot of the list's column, just above the tab with the pages.
    void placeBelowList(QWidget *widget);
    // Lays `widget` out just left of control `id` (see ControlSet::placeBefore).
    void placeBefore(QWidget *widget, int id, int gap) { m_controls.placeBefore(widget, id, gap); }

private:
    QWidget *makeControl(const ControlTemplate &control, QWidget *parent);
    void splitListAndPages(QWidget &window);

    const DialogUnits &m_units;
    ControlSet m_controls;
    PageTab *m_pageTab = nullptr;
    SiteSearchBar *m_searchBar = nullptr;
    StatusLine *m_statusLine = nullptr;
    QVBoxLayout *m_listColumn = nullptr;
    ListPageSplitter *m_splitter = nullptr;
};
