#include "ListPageSplitter.h"

#include <QResizeEvent>

#include <algorithm>
#include <cmath>

ListPageSplitter::ListPageSplitter(QWidget *parent)
    : QSplitter(Qt::Vertical, parent)
{
    setChildrenCollapsible(false);
    // Only the user's drag changes the share; a resize keeps it.
    connect(this, &QSplitter::splitterMoved, this, [this] {
        const int extra = sizes().value(1) - pagesNeed();
        m_share = room() > 0 ? std::clamp(double(extra) / room(), 0.0, 1.0) : 0.0;
    });
}

int ListPageSplitter::pagesNeed() const
{
    const QWidget *pages = widget(1);
    return pages ? std::max(pages->minimumSize().height(), pages->minimumSizeHint().height()) : 0;
}

int ListPageSplitter::room() const
{
    return height() - handleWidth() - pagesNeed();
}

void ListPageSplitter::setPagesShare(double share)
{
    m_share = std::isfinite(share) ? std::clamp(share, 0.0, 1.0) : 0.0;
    apply();
}

void ListPageSplitter::resizeEvent(QResizeEvent *event)
{
    QSplitter::resizeEvent(event);
    apply();
}

void ListPageSplitter::apply()
{
    if (count() != 2 || room() < 0)
        return;
    const int pages = pagesNeed() + int(std::lround(m_share * room()));
    setSizes({height() - handleWidth() - pages, pages});
}
