#include "SiteColumnWidths.h"

#include "SiteTableModel.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace {

bool grows(int column)
{
    return column == SiteTableModel::NameColumn || column == SiteTableModel::UrlColumn
        || column == SiteTableModel::ContentColumn;
}

} // namespace

SiteColumnWidths::SiteColumnWidths(QTableView &view)
    : QObject(&view)
    , m_view(view)
{
    QHeaderView *header = view.horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    connect(header, &QHeaderView::sectionResized, this, [this] {
        if (!m_sharing)
            m_own = true;
    });
    view.viewport()->installEventFilter(this);
    share();
}

std::vector<int> SiteColumnWidths::ownWidths() const
{
    std::vector<int> widths;
    if (!m_own)
        return widths;
    for (int column = 0; column < SiteTableModel::ColumnCount; ++column)
        widths.push_back(m_view.columnWidth(column));
    return widths;
}

void SiteColumnWidths::setOwnWidths(const std::vector<int> &widths)
{
    if (widths.size() != std::size_t(SiteTableModel::ColumnCount))
        return;
    bool starting = true;
    for (int column = 0; column < SiteTableModel::ColumnCount; ++column)
        starting &= widths[std::size_t(column)] == SiteTableModel::columnWidth(column);
    if (starting || std::any_of(widths.begin(), widths.end(), [](int width) { return width <= 0; }))
        return;
    m_sharing = true;
    const int least = m_view.horizontalHeader()->minimumSectionSize();
    for (int column = 0; column < SiteTableModel::ColumnCount; ++column)
        m_view.setColumnWidth(column, std::max(widths[std::size_t(column)], least));
    m_sharing = false;
    m_own = true;
}

bool SiteColumnWidths::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == m_view.viewport())
        share();
    return QObject::eventFilter(watched, event);
}

// The room beyond the starting widths goes to the growing columns in equal parts (the last of
// them takes what does not divide), so that the columns end at the list's right edge.
void SiteColumnWidths::share()
{
    if (m_own)
        return;
    int starting = 0;
    int growing = 0;
    for (int column = 0; column < SiteTableModel::ColumnCount; ++column) {
        starting += SiteTableModel::columnWidth(column);
        growing += grows(column);
    }
    const int extra = std::max(0, m_view.viewport()->width() - starting);
    m_sharing = true;
    int given = 0;
    int grown = 0;
    for (int column = 0; column < SiteTableModel::ColumnCount; ++column) {
        int width = SiteTableModel::columnWidth(column);
        if (grows(column)) {
            const int share = ++grown == growing ? extra - given : extra / growing;
            given += share;
            width += share;
        }
        m_view.setColumnWidth(column, width);
    }
    m_sharing = false;
}
