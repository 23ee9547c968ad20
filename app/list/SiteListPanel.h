#pragma once

#include "RegistrationEdges.h"

#include <QObject>

#include <cstddef>
#include <vector>

class FieldsRecord;
class LinkResults;
class QModelIndex;
class QTableView;
class SiteColumnWidths;
class SiteDateColumns;
class SiteFilterModel;
class SiteFinder;
class SiteList;
class SiteRegister;
class SiteSearchBar;
class SiteTableModel;

// The list of sites: the view, its models, the search bar over it, which row is current, and the
// keys that pick a row. Rows are as the view shows them (searched, sorted); everything it tells
// or answers is in the register's positions or record numbers. It reads the record the fields
// show, and says which record they should show next through recordActivated().
class SiteListPanel : public QObject
{
    Q_OBJECT
public:
    SiteListPanel(SiteRegister &siteRegister, const FieldsRecord &fields, QTableView &view, SiteSearchBar &bar,
                  QObject *parent = nullptr);
    ~SiteListPanel() override;

    SiteColumnWidths &columns() const { return *m_columns; }
    SiteDateColumns &dateColumns() const { return *m_dateColumns; }
    // Whether the view shows other rows, or in another order, than the register.
    bool isRearranged() const;

    // The first chosen row, or the current one, as a register position; with none shown while a
    // search hides the fields' record, that record's; -1 otherwise.
    int selectedRow() const;
    // Whether the list shows a row the user chose: its keys and its menu act on such rows only,
    // never on a record a search hides.
    bool showsChosenRow() const;
    // The current row as a register position; -1 when no row is current.
    int currentRow() const;
    // Makes register position `row` current; one a search hides is shown in the fields, and
    // no row claims it. False for a position out of range.
    bool selectRow(int row);
    // Makes the last row current, as at start-up.
    void selectLastRow();
    // The record at register position `row` goes to the fields.
    void activateRow(int row);
    // The chosen row the list shows goes to the fields, as a click does.
    void activateSelected();
    // After a search, a sort or a new record in the fields: the row of the fields' record is
    // current wherever it stands, or no row where the search hides it.
    void keepShownRecordCurrent();

    // The records chosen in the list in register order, as the list has them now; with none
    // chosen, the fields' record as the user saw it.
    std::vector<SeenRecord> chosenRecords() const;
    // Whether the list shows record `number` as a row.
    bool lists(int number) const;
    // The chosen rows as register positions, in register order.
    std::vector<std::size_t> selectedPositions() const;
    // The rows shown, as register positions, in the order shown.
    std::vector<std::size_t> shownPositions() const;

    // Where the list stands before a delete, so that afterDelete() can go on from there.
    struct DeletePlace
    {
        int viewRow = -1;
        int number = 0;
    };
    DeletePlace placeBeforeDelete() const;
    // In a searched or sorted list, the row that takes the deleted ones' place is the next one
    // there, not the next in the register.
    void afterDelete(const DeletePlace &place);

    // Shows only the sites that carry `keyword` (register bytes); a null one shows them all.
    void showKeyword(const QByteArray &keyword);
    const QByteArray &shownKeyword() const;

    // Marks every row with its URL's last check.
    void showLinkResults(LinkResults results);

signals:
    // The fields should show record `number`.
    void recordActivated(int number);
    // The rows shown were chosen or ordered anew by the user.
    void arranged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setUpView();
    void followRemovals();
    void followCurrentRow(const QModelIndex &current);
    int sourceRow(const QModelIndex &viewIndex) const;
    // The first chosen row, or the current one, as a register position; -1 when the list shows none.
    int shownChosenRow() const;
    void selectViewRow(int viewRow);
    const SiteList &sites() const;

    SiteRegister &m_register;
    const FieldsRecord &m_fields;
    QTableView &m_view;
    SiteTableModel *m_model = nullptr;
    SiteFinder *m_finder = nullptr;
    SiteColumnWidths *m_columns = nullptr;
    SiteDateColumns *m_dateColumns = nullptr;
    // The current record's number across a reset of the list, to make it current again.
    int m_currentNumber = 0;
    // While the view drops rows (a record gone, or hidden by a change), its current row moves by
    // itself: the fields do not follow that move.
    bool m_viewDroppingRows = false;
    // The register is removing the current row's record (the view may drop the row before the list).
    bool m_removingCurrent = false;
    // The view row the current row stood at when the view dropped it; -1 when it was not dropped.
    int m_droppedCurrentAt = -1;
};
