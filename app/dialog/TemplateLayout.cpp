#include "TemplateLayout.h"

#include "DialogUnits.h"

#include <QWidget>

TemplateLayout::TemplateLayout(const QSize &templateSize, QWidget *parent)
    : QLayout(parent)
    , m_size(templateSize)
{
    // The template's margins are part of its rectangles.
    setContentsMargins(0, 0, 0, 0);
}

TemplateLayout::~TemplateLayout()
{
    // Each item out of the list before it goes: a layout item leaving tells its parent layout,
    // which would look for it in the list.
    while (!m_items.empty()) {
        QLayoutItem *item = m_items.back().item;
        m_items.pop_back();
        delete item;
    }
}

void TemplateLayout::addWidget(QWidget *widget, const QRect &rect, EdgeShares shares)
{
    addChildWidget(widget);
    m_items.push_back({new QWidgetItem(widget), rect, shares});
    invalidate();
}

bool TemplateLayout::standIn(QWidget *control, QLayoutItem *item)
{
    for (Placement &placement : m_items) {
        if (placement.item->widget() != control)
            continue;
        if (QLayout *layout = item->layout())
            addChildLayout(layout);
        else if (QWidget *widget = item->widget())
            addChildWidget(widget);
        delete placement.item;
        placement.item = item;
        invalidate();
        return true;
    }
    return false;
}

const TemplateLayout::Placement *TemplateLayout::placementOf(const QWidget *widget) const
{
    for (const Placement &placement : m_items) {
        if (placement.item->widget() == widget)
            return &placement;
    }
    return nullptr;
}

QRect TemplateLayout::placed(const QRect &rect, EdgeShares shares, const QSize &growth)
{
    const auto share = [](int growth, int thousandths) { return MulDiv(growth, thousandths, EdgeShares::kWhole); };
    return QRect(QPoint(rect.left() + share(growth.width(), shares.left),
                        rect.top() + share(growth.height(), shares.top)),
                 QPoint(rect.right() + share(growth.width(), shares.right),
                        rect.bottom() + share(growth.height(), shares.bottom)));
}

void TemplateLayout::addItem(QLayoutItem *item)
{
    // An item given without a rectangle fills the template.
    m_items.push_back({item, QRect(QPoint(), m_size), {0, 0, EdgeShares::kWhole, EdgeShares::kWhole}});
}

QLayoutItem *TemplateLayout::itemAt(int index) const
{
    return index >= 0 && std::size_t(index) < m_items.size() ? m_items[std::size_t(index)].item : nullptr;
}

QLayoutItem *TemplateLayout::takeAt(int index)
{
    if (index < 0 || std::size_t(index) >= m_items.size())
        return nullptr;
    QLayoutItem *item = m_items[std::size_t(index)].item;
    m_items.erase(m_items.begin() + index);
    invalidate();
    return item;
}

int TemplateLayout::count() const
{
    return int(m_items.size());
}

QSize TemplateLayout::sizeHint() const
{
    return m_size;
}

QSize TemplateLayout::minimumSize() const
{
    return m_size;
}

void TemplateLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    // Never less than the template: a window made smaller than its minimum (a tab page while
    // its tab is hidden) keeps its controls where they belong and clips them.
    const QSize growth = (rect.size() - m_size).expandedTo(QSize(0, 0));
    for (const Placement &placement : m_items) {
        const QRect target = placed(placement.rect, placement.shares, growth).translated(rect.topLeft());
        // A widget goes exactly where the template puts it, whatever its own idea of a least size.
        if (QWidget *widget = placement.item->widget())
            widget->setGeometry(target);
        else
            placement.item->setGeometry(target);
    }
}
