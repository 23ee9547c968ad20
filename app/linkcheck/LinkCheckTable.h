#pragma once

#include "LinkStatus.h"

#include <QStringList>
#include <QTableWidget>

#include <vector>

// The rows of a link check, one per site in the order given (the register's), each with its
// answer once it has come. A click on a column's header sorts by it (ascending, descending, then
// the given order again), rows that get their answer later taking their place at once; "problems
// only" narrows the rows to the sites that need a look. A permanent move offers its new URL with
// a button.
class LinkCheckTable : public QTableWidget
{
    Q_OBJECT
public:
    enum Column { Name, Url, Status, Code, FinalUrl, Update, Order, ColumnCount };

    explicit LinkCheckTable(QWidget *parent = nullptr);

    // One row per site, each waiting for its answer; a row's index is its place in these lists.
    void setSites(const QStringList &names, const QStringList &urls);
    void showResult(int index, const LinkResult &result);
    // The rows that got no answer say so (`text`: "中止").
    void markUnanswered(const QString &text);
    void setProblemsOnly(bool on);
    // The table row where the site of `index` stands now.
    int rowOf(int index) const;

signals:
    // The user takes the URL a permanent move leads to for the site of `index`.
    void moveTaken(int index, const QString &movedTo);

private:
    void sortBy(int column);
    void showIfWanted(int row);
    void offerMove(int index, const QString &movedTo);

    std::vector<QTableWidgetItem *> m_orderItems; // by index: the row's hidden order cell
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_problemsOnly = false;
};
