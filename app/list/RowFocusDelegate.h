#pragma once

#include <QStyledItemDelegate>

// Draws the cells of a whole-row list and, while the list has the keyboard focus, a frame
// around the current row, so that the focus shows there as on any other control. The style's
// own focus frame marks one cell at most, and some styles draw none on a selected row. A cell
// too narrow for its text shows the whole text as a tooltip; one that shows it all, none.
class RowFocusDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;
};
