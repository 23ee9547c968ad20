#include "SiteFilterModel.h"

#include "SiteRecord.h"
#include "SiteSort.h"
#include "SiteTableModel.h"

#include <algorithm>
#include <numeric>

// How the filter follows what the source model announces: rows inserted, removed and changed are
// placed, taken out and moved one by one, so that a view keeps its selection and scroll position
// while another program or computer changes the register.
void SiteFilterModel::sourceRowsInserted(int first, int last)
{
    const int added = last - first + 1;
    for (int row = first; row <= last && m_prepared; ++row)
        m_index.insertRow(std::size_t(row), recordAt(row));
    for (std::vector<int> *rows : {&m_rows, &m_sorted})
        for (int &row : *rows)
            if (row >= first)
                row += added;
    if (m_sortColumn >= 0 && added > 1) {
        // Many records at once (an import): sorted anew, and the rows shown chosen anew.
        m_sorted = sortedRows();
        rearrange();
        return;
    }
    if (m_sortColumn >= 0) {
        m_sorted.insert(std::lower_bound(m_sorted.begin(), m_sorted.end(), first,
                                         [this](int a, int b) { return before(a, b); }),
                        first);
    }
    std::vector<int> shown;
    for (int row = first; row <= last; ++row)
        if (accepts(row))
            shown.push_back(row);
    if (shown.empty()) {
        indexRows();
        return;
    }
    // In register order the new rows stand together, between the same neighbours.
    const int at = placeFor(shown.front());
    beginInsertRows({}, at, at + int(shown.size()) - 1);
    m_rows.insert(m_rows.begin() + at, shown.begin(), shown.end());
    indexRows();
    endInsertRows();
}

void SiteFilterModel::sourceRowsAboutToBeRemoved(int first, int last)
{
    std::vector<int> gone;
    for (int row = first; row <= last; ++row)
        if (m_viewRowOf[std::size_t(row)] >= 0)
            gone.push_back(m_viewRowOf[std::size_t(row)]);
    if (gone.empty())
        return;
    std::sort(gone.begin(), gone.end());
    if (gone.back() - gone.front() + 1 == int(gone.size())) {
        beginRemoveRows({}, gone.front(), gone.back());
        m_rows.erase(m_rows.begin() + gone.front(), m_rows.begin() + gone.back() + 1);
        indexRows();
        endRemoveRows();
        return;
    }
    // Rows scattered over a sorted view: one new layout.
    relayout([this, first, last] {
        m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(),
                                    [first, last](int row) { return row >= first && row <= last; }),
                     m_rows.end());
    });
}

void SiteFilterModel::sourceRowsRemoved(int first, int last)
{
    const int removed = last - first + 1;
    for (int row = last; row >= first && m_prepared; --row)
        m_index.removeRow(std::size_t(row));
    m_sorted.erase(std::remove_if(m_sorted.begin(), m_sorted.end(), [first, last](int row) { return row >= first && row <= last; }),
                   m_sorted.end());
    for (std::vector<int> *rows : {&m_rows, &m_sorted})
        for (int &row : *rows)
            if (row > last)
                row -= removed;
    indexRows();
}

void SiteFilterModel::sourceRowsChanged(int first, int last)
{
    for (int row = first; row <= last && m_prepared; ++row)
        m_index.replaceRow(std::size_t(row), recordAt(row));
    if (first == last) {
        sourceRowChanged(first);
        return;
    }
    if (m_sortColumn >= 0)
        m_sorted = sortedRows();
    rearrange();
}

// Only what the cells show beside their texts (a link's mark): nothing to fold or sort again, but
// a condition may read it.
void SiteFilterModel::sourceMarksChanged(int first, int last, const QList<int> &roles)
{
    if (m_condition) {
        rearrange();
        return;
    }
    int top = rowCount(), bottom = -1;
    for (int row = first; row <= last; ++row) {
        const int shown = m_viewRowOf[std::size_t(row)];
        if (shown >= 0) {
            top = std::min(top, shown);
            bottom = std::max(bottom, shown);
        }
    }
    if (bottom >= 0)
        emit dataChanged(index(top, 0), index(bottom, columnCount() - 1), roles);
}

// A changed record may now match or not, or belong elsewhere in a sorted view: it moves there,
// still current if it was.
void SiteFilterModel::sourceRowChanged(int row)
{
    if (m_sortColumn >= 0) {
        // Every row is among the sorted ones; one that were not would take its place now rather than
        // have the end of the list erased.
        const auto at = std::find(m_sorted.begin(), m_sorted.end(), row);
        if (at != m_sorted.end())
            m_sorted.erase(at);
        m_sorted.insert(std::lower_bound(m_sorted.begin(), m_sorted.end(), row,
                                         [this](int a, int b) { return before(a, b); }),
                        row);
    }
    const int was = m_viewRowOf[std::size_t(row)];
    const bool shown = accepts(row);
    if (was < 0 && shown) {
        const int at = placeFor(row);
        beginInsertRows({}, at, at);
        m_rows.insert(m_rows.begin() + at, row);
        indexRows();
        endInsertRows();
    } else if (was >= 0 && !shown) {
        beginRemoveRows({}, was, was);
        m_rows.erase(m_rows.begin() + was);
        indexRows();
        endRemoveRows();
    } else if (was >= 0) {
        m_rows.erase(m_rows.begin() + was);
        const int to = placeFor(row);
        m_rows.insert(m_rows.begin() + was, row);
        if (to != was) {
            beginMoveRows({}, was, was, {}, to > was ? to + 1 : to);
            m_rows.erase(m_rows.begin() + was);
            m_rows.insert(m_rows.begin() + to, row);
            indexRows();
            endMoveRows();
        }
        emit dataChanged(index(to, 0), index(to, columnCount() - 1));
    }
}

void SiteFilterModel::sourceReset()
{
    m_prepared = false;
    m_index = SearchIndex();
    if (m_sortColumn >= 0 || !m_query.isEmpty())
        prepare();
    if (m_sortColumn >= 0)
        m_sorted = sortedRows();
    chooseRows();
}
