#include "SiteDateColumns.h"

#include "SiteColumnWidths.h"
#include "SiteTableModel.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>

#include <algorithm>

SiteDateColumns::SiteDateColumns(QTableView &view, SiteColumnWidths &widths)
    : QObject(&view)
    , m_view(view)
    , m_widths(widths)
    , m_menu(new QMenu(&view))
{
    QHeaderView *header = view.horizontalHeader();
    for (const int column : {int(SiteTableModel::AddedColumn), int(SiteTableModel::ChangedColumn)}) {
        QAction *action = m_menu->addAction(view.model()->headerData(column, Qt::Horizontal).toString());
        action->setCheckable(true);
        action->setData(column);
        connect(action, &QAction::toggled, this, [this, column](bool checked) { show(column, checked); });
        widths.setColumnShown(column, false);
    }
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::customContextMenuRequested, this,
            [this, header](const QPoint &at) { m_menu->popup(header->viewport()->mapToGlobal(at)); });
}

std::vector<int> SiteDateColumns::shown() const
{
    std::vector<int> columns;
    for (const QAction *action : m_menu->actions()) {
        if (action->isChecked())
            columns.push_back(action->data().toInt());
    }
    return columns;
}

void SiteDateColumns::setShown(const std::vector<int> &columns)
{
    for (QAction *action : m_menu->actions())
        action->setChecked(std::find(columns.begin(), columns.end(), action->data().toInt()) != columns.end());
}

void SiteDateColumns::show(int column, bool visible)
{
    if (m_view.isColumnHidden(column) == visible)
        m_widths.setColumnShown(column, visible);
}
