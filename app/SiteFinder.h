#pragma once

#include <QObject>

class QTableView;
class SiteFilterModel;
class SiteSearchBar;
class SiteTableModel;

// Finding a site in the list: puts a SiteFilterModel between the register's model and the view,
// filters it as the search box is typed in (and to the dead links of the last link check when
// asked), sorts it by a click on a column header (ascending, descending, then the register's
// order again) and keeps the count of sites shown beside the box. Ctrl+F reaches the box from
// anywhere in the window; Down goes from the box into the list.
class SiteFinder : public QObject
{
    Q_OBJECT
public:
    SiteFinder(QTableView &view, SiteTableModel &source, SiteSearchBar &bar,
               QObject *parent = nullptr);

    SiteFilterModel *model() const { return m_model; }
    // Whether the view shows other rows, or in another order, than the register.
    bool isRearranged() const;
    // The list's link marks changed (a link check ended): the dead links shown are those marked now.
    void reloadLinkResults();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // The rows shown were chosen or ordered anew by the user.
    void arranged();

private:
    void showDeadLinksOnly(bool on);
    void sortBy(int column);
    void showCounts();

    QTableView &m_view;
    SiteSearchBar &m_bar;
    SiteFilterModel *m_model;
};
