#pragma once

#include <QObject>

#include <vector>

class QMenu;
class QTableView;
class SiteColumnWidths;

// The list's 登録日 and 更新日 columns: hidden until the user chooses them in the menu of the
// list's header, so that the window looks as it always has; the window remembers the choice.
class SiteDateColumns : public QObject
{
    Q_OBJECT
public:
    SiteDateColumns(QTableView &view, SiteColumnWidths &widths);

    // The date columns shown (SiteTableModel::AddedColumn, ChangedColumn), in column order.
    std::vector<int> shown() const;
    // Shows those of `columns` that are date columns, and hides the other one.
    void setShown(const std::vector<int> &columns);
    // The header's menu, one checkable entry per date column.
    QMenu *menu() const { return m_menu; }

private:
    void show(int column, bool visible);

    QTableView &m_view;
    SiteColumnWidths &m_widths;
    QMenu *m_menu;
};
