#pragma once

#include <QSplitter>

// The bar between the list of sites and the tab with the pages. The pages keep the height their
// fields need and the list takes every pixel beyond, however the window grows, until the user drags
// the bar: the pages then keep the part of the room beyond their need that the user gave them,
// as a share, so that a window opened larger or smaller is shared alike and never leaves the pages
// empty below their fields. That share is what the window remembers.
class ListPageSplitter : public QSplitter
{
    Q_OBJECT
public:
    // The list and the pages are its two panes, added by the owner.
    explicit ListPageSplitter(QWidget *parent = nullptr);

    // Of the height beyond what the pages need, the part the pages have: 0 (the list has it all) to 1.
    double pagesShare() const { return m_share; }
    void setPagesShare(double share);
    // The height the pages need for their fields.
    int pagesNeed() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // The height both panes share beyond what the pages need.
    int room() const;
    void apply();

    double m_share = 0;
};
