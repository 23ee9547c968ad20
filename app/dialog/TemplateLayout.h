#pragma once

#include "EdgeShares.h"

#include <QLayout>
#include <QRect>

#include <vector>

// Places each item at its rectangle of the dialog template, in pixels, and hands any room beyond
// the template's size to the edges that follow it. The template's size is the least the layout
// takes: a window laid out by it opens at that size and does not shrink below it.
class TemplateLayout : public QLayout
{
    Q_OBJECT
public:
    // Where an item stands: its template rectangle in pixels, and how it follows the growth.
    struct Placement
    {
        QLayoutItem *item;
        QRect rect;
        EdgeShares shares;
    };

    TemplateLayout(const QSize &templateSize, QWidget *parent);
    ~TemplateLayout() override;

    void addWidget(QWidget *widget, const QRect &rect, EdgeShares shares);
    // `item` (a widget or a layout) takes the place of `control`, with its rectangle and shares;
    // the control stays where it is in its parent. False when the layout does not hold `control`.
    bool standIn(QWidget *control, QLayoutItem *item);
    // The placement of `widget`; null when the layout does not hold it.
    const Placement *placementOf(const QWidget *widget) const;
    // Where an item of template rectangle `rect` lands when the window has grown by `growth`.
    static QRect placed(const QRect &rect, EdgeShares shares, const QSize &growth);

    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    std::vector<Placement> m_items;
    QSize m_size;
};
