#pragma once

#include <QTableView>

// The view of the site list. It scrolls by whole rows, and its top row is a whole one at the end
// of the list too, the room below the last row left blank: Qt's own table puts the last row
// against the bottom edge there, and the top row, cut in half, would greet the user at start-up
// (the last row is made current then).
class SiteView : public QTableView
{
    Q_OBJECT
public:
    explicit SiteView(QWidget *parent = nullptr);

protected:
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;

private:
    void alignTopRow();
};
