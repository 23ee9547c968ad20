#include "RowFocusDelegate.h"

#include "DisplayText.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

void RowFocusDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    cell.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, cell, index);

    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    if (!view || !view->hasFocus() || view->currentIndex().row() != index.row())
        return;
    const bool selected = option.state & QStyle::State_Selected;
    const QColor colour = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    // Two pixels wide, on the row's edges only: one frame around the row, not one per cell.
    const QRect r = option.rect;
    const int last = index.model()->columnCount(index.parent()) - 1;
    painter->save();
    painter->fillRect(QRect(r.left(), r.top(), r.width(), 2), colour);
    painter->fillRect(QRect(r.left(), r.bottom() - 1, r.width(), 2), colour);
    if (index.column() == 0)
        painter->fillRect(QRect(r.left(), r.top(), 2, r.height()), colour);
    if (index.column() == last)
        painter->fillRect(QRect(r.right() - 1, r.top(), 2, r.height()), colour);
    painter->restore();
}

bool RowFocusDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                 const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid() || !index.data(Qt::ToolTipRole).isNull())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty() && sizeHint(option, index).width() > option.rect.width())
        QToolTip::showText(event->globalPos(), DisplayText::toolTip(text), view->viewport(), option.rect);
    else
        QToolTip::hideText();
    return true;
}
