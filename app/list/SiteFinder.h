#pragma once

#include <QByteArray>
#include <QObject>

class QTableView;
class SiteList;
class SiteFilterModel;
class SiteSearchBar;
class SiteTableModel;

// Finding a site in the list: puts a SiteFilterModel between the register's model and the view,
// filters it as the search box is typed in (to the sites of one keyword, and to the dead links
// of the last link check, when asked), sorts it by a click on a column header (ascending, descending, then the register's
// order again) and keeps the count of sites shown beside the box. Ctrl+F reaches the box from
// anywhere in the window; Down goes from the box into the list.
class SiteFinder : public QObject
{
    Q_OBJECT
public:
    // `sites` are the source's rows.
    SiteFinder(QTableView &view, SiteTableModel &source, const SiteList &sites, SiteSearchBar &bar,
               QObject *parent = nullptr);

    SiteFilterModel *model() const { return m_model; }
    // Whether the view shows other rows, or in another order, than the register.
    bool isRearranged() const;
    // The list's link marks changed (a link check ended): the dead links shown are those marked now.
    void reloadLinkResults();
    // Shows only the sites that carry `keyword` (register bytes) in one of their three keywords;
    // a null one shows them whatever they carry.
    void showKeyword(const QByteArray &keyword);
    const QByteArray &shownKeyword() const { return m_keyword; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // The rows shown were chosen or ordered anew by the user.
    void arranged();

private:
    // The rows the search finds are narrowed by the keyword and the dead-links switch in force.
    void narrow();
    void sortBy(int column);
    void showCounts();

    QTableView &m_view;
    const SiteList &m_sites;
    SiteSearchBar &m_bar;
    SiteFilterModel *m_model;
    QByteArray m_keyword;
};
