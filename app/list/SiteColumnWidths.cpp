#include "SiteColumnWidths.h"

#include "SiteTableModel.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

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
    // A hidden column has no width of its own: it comes back at its starting width.
    for (int column = 0; column < SiteTableModel::ColumnCount; ++column)
        widths.push_back(m_view.isColumnHidden(column) ? SiteTableModel::columnWidth(column) : m_view.columnWidth(column));
    return widths;
}

void SiteColumnWidths::setOwnWidths(const std::vector<int> &widths)
{
    const int count = int(widths.size());
    if (count != SiteTableModel::ColumnCount && count != SiteTableModel::TextColumnCount)
        return;
    bool starting = true;
    for (int column = 0; column < count; ++column)
        starting &= widths[std::size_t(column)] == SiteTableModel::columnWidth(column);
    if (starting || std::any_of(widths.begin(), widths.end(), [](int width) { return width <= 0; }))
        return;
    m_sharing = true;
    const int least = m_view.horizontalHeader()->minimumSectionSize();
    for (int column = 0; column < count; ++column)
        m_view.setColumnWidth(column, std::max(widths[std::size_t(column)], least));
    m_sharing = false;
    m_own = true;
}

void SiteColumnWidths::setColumnShown(int column, bool shown)
{
    m_sharing = true;
    m_view.setColumnHidden(column, !shown);
    if (shown && m_view.columnWidth(column) <= 0)
        m_view.setColumnWidth(column, SiteTableModel::columnWidth(column));
    m_sharing = false;
    share();
}

bool SiteColumnWidths::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == m_view.viewport())
        share();
    return QObject::eventFilter(watched, event);
}

// The room beyond the starting widths goes to every column in proportion to its starting width,
// each column's right edge rounded where the exact share puts it, so that the columns end at the
// list's right edge: the long texts get the most, and a keyword such as 「OSINTBookmarks」 is not
// cut in a wide window.
void SiteColumnWidths::share()
{
    if (m_own)
        return;
    const auto startingWidth = [this](int column) {
        return m_view.isColumnHidden(column) ? 0 : SiteTableModel::columnWidth(column);
    };
    int starting = 0;
    for (int column = 0; column < SiteTableModel::ColumnCount; ++column)
        starting += startingWidth(column);
    const int extra = std::max(0, m_view.viewport()->width() - starting);
    m_sharing = true;
    int before = 0, given = 0;
    for (int column = 0; column < SiteTableModel::ColumnCount; ++column) {
        if (m_view.isColumnHidden(column))
            continue;
        const int width = startingWidth(column);
        before += width;
        const int upTo = (2 * extra * before + starting) / (2 * starting); // rounded
        m_view.setColumnWidth(column, width + upTo - given);
        given = upTo;
    }
    m_sharing = false;
}
