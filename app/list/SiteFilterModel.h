#pragma once

#include "SearchIndex.h"
#include "SearchQuery.h"

#include <QAbstractProxyModel>

#include <functional>
#include <vector>

class SiteRecord;

// The site list as the user arranges it: only the rows that hold every word typed in the search
// box (and meet an extra condition, such as "dead links only"), ordered by a column or in the
// register's order. It changes the view only: the register and its order stay as they are.
// A proxy of its own rather than a QSortFilterProxyModel, so that a keystroke over a hundred
// thousand records costs one pass over the prepared search texts, and a sort one sort of
// prepared keys, never a comparison that decodes and folds. It follows the source model's row
// announcements one by one, so the view keeps its current row while records come and go.
class SiteFilterModel : public QAbstractProxyModel
{
    Q_OBJECT
public:
    // Whether a row of the register (its position) is to be shown.
    using RowCondition = std::function<bool(int sourceRow)>;

    // What is searched and sorted is read from the source: each row's SiteRecord under
    // SiteTableModel::SiteRecordRole.
    explicit SiteFilterModel(QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *source) override;
    // Folds every record for searching and sorting, which the first search or sort does when
    // it has not been done: a window shows its list first and prepares while the user looks.
    void prepare();

    void setSearchText(const QString &typed);
    // No condition shows every row the search finds.
    void setRowCondition(RowCondition keep);
    // Column -1 is the register's order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // The rows of the register, shown or not.
    int sourceRowCount() const;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;

signals:
    // The rows shown were chosen or ordered anew (search, condition or sort).
    void arranged();

private:
    bool accepts(int sourceRow) const;
    bool before(int a, int b) const;
    // Where `sourceRow` stands among the rows shown, by the order in force.
    int placeFor(int sourceRow) const;
    void chooseRows();
    void relayout(const std::function<void()> &change);
    void rearrange();
    void indexRows();
    void sourceRowsInserted(int first, int last);
    void sourceRowsAboutToBeRemoved(int first, int last);
    void sourceRowsRemoved(int first, int last);
    void sourceRowsChanged(int first, int last);
    void sourceRowChanged(int row);
    void sourceMarksChanged(int first, int last, const QList<int> &roles);
    void sourceReset();
    SiteRecord recordAt(int sourceRow) const;
    // The date a date column sorts by (0: unknown), and every row in the order in force.
    std::int64_t timeAt(int sourceRow) const;
    std::vector<int> sortedRows() const;

    SearchIndex m_index; // empty until prepared
    bool m_prepared = false;
    SearchQuery m_query;
    RowCondition m_condition;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::vector<int> m_sorted;    // every row of the register in the order of the sort; empty unsorted
    std::vector<int> m_rows;      // the rows shown, in view order
    std::vector<int> m_viewRowOf; // by register row: its view row, -1 when hidden
};
