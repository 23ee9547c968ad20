#pragma once

#include <QStyledItemDelegate>

// Draws the cells of a whole-row list and, while the list has the keyboard focus, a frame
// around the current row, so that the focus shows there as on any other control. The style's
// own focus frame marks one cell at most, and some styles draw none on a selected row.
class RowFocusDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
