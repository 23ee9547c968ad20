#pragma once

#include <QObject>

#include <vector>

class QTableView;

// The widths of the site list's columns. Until the user drags one, the shown columns share whatever
// room the list has beyond their starting widths, each in proportion to its own (サイト名, URL and
// 内容, which hold the long texts, most), and no blank is left beside the last column. Once the
// user has set a width (a drag, or a double-click on a divider), every column keeps the width it
// has: those are the user's own, and the window remembers them.
class SiteColumnWidths : public QObject
{
    Q_OBJECT
public:
    // Gives the view's columns their starting widths and follows its size from now on.
    explicit SiteColumnWidths(QTableView &view);

    // The widths the user chose, column by column; empty while the columns share the room.
    std::vector<int> ownWidths() const;
    // Widths the user chose in an earlier run. Widths for another number of columns, or the
    // starting widths themselves (which earlier versions saved for everyone), are no choice.
    // Widths of the six text columns alone (what versions without date columns saved) set those.
    void setOwnWidths(const std::vector<int> &widths);
    // Shows or hides a column (which is no width the user set): while the columns share the room,
    // the shown ones share it anew; a column shown again comes back at its starting width at least.
    void setColumnShown(int column, bool shown);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void share();

    QTableView &m_view;
    bool m_own = false;
    bool m_sharing = false; // the widths being set are this class's, not the user's
};
