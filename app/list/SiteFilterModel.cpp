#include "SiteFilterModel.h"

#include "SiteRecord.h"
#include "SiteSort.h"
#include "SiteTableModel.h"

#include <algorithm>
#include <numeric>

SiteFilterModel::SiteFilterModel(QObject *parent)
    : QAbstractProxyModel(parent)
{
}

SiteRecord SiteFilterModel::recordAt(int sourceRow) const
{
    return sourceModel()->index(sourceRow, 0).data(SiteTableModel::SiteRecordRole).value<SiteRecord>();
}

std::int64_t SiteFilterModel::timeAt(int sourceRow) const
{
    const SiteRecord record = recordAt(sourceRow);
    return m_sortColumn == SiteTableModel::AddedColumn ? record.GetAdded() : record.GetChanged();
}

std::vector<int> SiteFilterModel::sortedRows() const
{
    if (m_sortColumn < kSiteFieldCount)
        return SortedRows(m_index, SiteField(m_sortColumn), m_sortOrder);
    std::vector<int> rows(static_cast<std::size_t>(sourceRowCount()));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = int(i);
    std::vector<std::int64_t> times(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        times[i] = timeAt(int(i));
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        const std::int64_t x = times[std::size_t(a)], y = times[std::size_t(b)];
        if ((x == 0) != (y == 0))
            return y == 0;
        return m_sortOrder == Qt::DescendingOrder ? x > y : x < y;
    });
    return rows;
}

void SiteFilterModel::setSourceModel(QAbstractItemModel *source)
{
    beginResetModel();
    if (sourceModel())
        disconnect(sourceModel(), nullptr, this, nullptr);
    QAbstractProxyModel::setSourceModel(source);
    connect(source, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { sourceRowsInserted(first, last); });
    connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { sourceRowsAboutToBeRemoved(first, last); });
    connect(source, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) { sourceRowsRemoved(first, last); });
    connect(source, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &top, const QModelIndex &bottom, const QList<int> &roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole))
                    sourceRowsChanged(top.row(), bottom.row());
                else
                    sourceMarksChanged(top.row(), bottom.row(), roles);
            });
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(source, &QAbstractItemModel::modelReset, this, [this] {
        sourceReset();
        endResetModel();
    });
    // Nothing of ours announces a new layout; should a source do so, everything is read anew.
    connect(source, &QAbstractItemModel::layoutChanged, this, [this] {
        beginResetModel();
        sourceReset();
        endResetModel();
    });
    sourceReset();
    endResetModel();
}

void SiteFilterModel::prepare()
{
    if (m_prepared)
        return;
    m_index = SearchIndex(std::size_t(sourceRowCount()), [this](std::size_t row) { return recordAt(int(row)); });
    m_prepared = true;
}

void SiteFilterModel::setSearchText(const QString &typed)
{
    SearchQuery query(typed);
    if (query.words() == m_query.words())
        return;
    prepare();
    m_query = std::move(query);
    rearrange();
}

void SiteFilterModel::setRowCondition(RowCondition keep)
{
    m_condition = std::move(keep);
    rearrange();
}

void SiteFilterModel::sort(int column, Qt::SortOrder order)
{
    m_sortColumn = column >= 0 && column < SiteTableModel::ColumnCount ? column : -1;
    m_sortOrder = order;
    m_sorted.clear();
    if (m_sortColumn >= 0)
        prepare();
    if (m_sortColumn >= 0)
        m_sorted = sortedRows();
    rearrange();
}

bool SiteFilterModel::accepts(int sourceRow) const
{
    return (m_query.isEmpty() || m_index.matches(std::size_t(sourceRow), m_query))
        && (!m_condition || m_condition(sourceRow));
}

// The order SortedRows gives: blank texts last in either direction, rows alike by register order.
bool SiteFilterModel::before(int a, int b) const
{
    if (m_sortColumn >= kSiteFieldCount) {
        // By time, unknown dates last in either direction.
        const std::int64_t x = timeAt(a), y = timeAt(b);
        if ((x == 0) != (y == 0))
            return y == 0;
        if (x != y)
            return m_sortOrder == Qt::DescendingOrder ? x > y : x < y;
        return a < b;
    }
    const auto field = SiteField(m_sortColumn);
    const QStringView x = m_index.field(std::size_t(a), field);
    const QStringView y = m_index.field(std::size_t(b), field);
    if (x.isEmpty() != y.isEmpty())
        return y.isEmpty();
    int order = CompareFolded(x, y);
    if (m_sortOrder == Qt::DescendingOrder)
        order = -order;
    return order != 0 ? order < 0 : a < b;
}

int SiteFilterModel::placeFor(int sourceRow) const
{
    const auto at = m_sortColumn < 0
        ? std::lower_bound(m_rows.begin(), m_rows.end(), sourceRow)
        : std::lower_bound(m_rows.begin(), m_rows.end(), sourceRow, [this](int a, int b) { return before(a, b); });
    return int(at - m_rows.begin());
}

void SiteFilterModel::chooseRows()
{
    const int count = sourceRowCount();
    m_rows.clear();
    if (m_query.isEmpty() && !m_condition) {
        if (m_sortColumn >= 0) {
            m_rows = m_sorted;
        } else {
            m_rows.resize(std::size_t(count));
            std::iota(m_rows.begin(), m_rows.end(), 0);
        }
    } else if (m_sortColumn < 0) {
        if (m_query.isEmpty()) {
            for (int row = 0; row < count; ++row)
                if (m_condition(row))
                    m_rows.push_back(row);
        } else {
            for (int row : m_index.find(m_query))
                if (!m_condition || m_condition(row))
                    m_rows.push_back(row);
        }
    } else {
        std::vector<char> found(std::size_t(count), m_query.isEmpty());
        if (!m_query.isEmpty())
            for (int row : m_index.find(m_query))
                found[std::size_t(row)] = true;
        for (int row : m_sorted)
            if (found[std::size_t(row)] && (!m_condition || m_condition(row)))
                m_rows.push_back(row);
    }
    indexRows();
}

void SiteFilterModel::indexRows()
{
    m_viewRowOf.assign(std::size_t(sourceRowCount()), -1);
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        m_viewRowOf[std::size_t(m_rows[i])] = int(i);
}

// One new layout rather than a removal or insertion per row: the view's current row and
// selection follow their records, and go where their record is no longer shown.
void SiteFilterModel::relayout(const std::function<void()> &change)
{
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<int> records;
    records.reserve(std::size_t(before.size()));
    for (const QModelIndex &index : before)
        records.push_back(m_rows[std::size_t(index.row())]);
    change();
    indexRows();
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = m_viewRowOf[std::size_t(records[std::size_t(i)])];
        after.append(row >= 0 ? index(row, before[i].column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void SiteFilterModel::rearrange()
{
    relayout([this] { chooseRows(); });
    emit arranged();
}

QModelIndex SiteFilterModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex SiteFilterModel::parent(const QModelIndex &) const
{
    return {};
}

int SiteFilterModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SiteFilterModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !sourceModel() ? 0 : sourceModel()->columnCount();
}

QVariant SiteFilterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The columns are the source's, shown or not: the headers stay when no row is shown.
    if (orientation != Qt::Horizontal || !sourceModel())
        return {};
    return sourceModel()->headerData(section, orientation, role);
}

QModelIndex SiteFilterModel::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid() || !sourceModel() || std::size_t(proxyIndex.row()) >= m_rows.size())
        return {};
    return sourceModel()->index(m_rows[std::size_t(proxyIndex.row())], proxyIndex.column());
}

QModelIndex SiteFilterModel::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid() || std::size_t(sourceIndex.row()) >= m_viewRowOf.size())
        return {};
    const int row = m_viewRowOf[std::size_t(sourceIndex.row())];
    return row >= 0 ? index(row, sourceIndex.column()) : QModelIndex();
}

bool SiteFilterModel::hasChildren(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_rows.empty();
}

int SiteFilterModel::sourceRowCount() const
{
    return sourceModel() ? sourceModel()->rowCount() : 0;
}
