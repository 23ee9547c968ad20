#include "SiteView.h"

#include <QHeaderView>
#include <QScrollBar>

SiteView::SiteView(QWidget *parent)
    : QTableView(parent)
{
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

void SiteView::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    alignTopRow();
}

void SiteView::updateGeometries()
{
    QTableView::updateGeometries();
    alignTopRow();
}

void SiteView::alignTopRow()
{
    QHeaderView *rows = verticalHeader();
    const int first = verticalScrollBar()->value();
    if (first >= rows->count() || rows->offset() == rows->sectionPosition(rows->logicalIndex(first)))
        return;
    rows->setOffsetToSectionPosition(first);
    viewport()->update();
}
