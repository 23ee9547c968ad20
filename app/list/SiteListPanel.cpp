#include "SiteListPanel.h"

#include "ChosenRows.h"
#include "FieldsRecord.h"
#include "LinkResults.h"
#include "SiteColumnWidths.h"
#include "SiteDateColumns.h"
#include "SiteFilterModel.h"
#include "SiteFinder.h"
#include "SiteRegister.h"
#include "SiteTableModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTableView>

#include <algorithm>

SiteListPanel::SiteListPanel(SiteRegister &siteRegister, const FieldsRecord &fields, QTableView &view,
                             SiteSearchBar &bar, QObject *parent)
    : QObject(parent), m_register(siteRegister), m_fields(fields), m_view(view)
{
    // The selection moves the current row off a removed one before the view hears of it: a record
    // the register removes is caught here, ahead of the list's model, while the row is still on it.
    connect(&siteRegister, &SiteRegister::recordsAboutToBeRemoved, this, [this](int first, int last) {
        const int current = m_finder ? currentRow() : -1;
        if (current >= first && current <= last) {
            m_droppedCurrentAt = m_view.currentIndex().row();
            m_viewDroppingRows = true;
            m_removingCurrent = true;
        }
    });
    m_model = new SiteTableModel(siteRegister, this);
    m_finder = new SiteFinder(view, *m_model, siteRegister.sites(), bar, this);
    connect(m_finder, &SiteFinder::arranged, this, &SiteListPanel::keepShownRecordCurrent);
    connect(m_finder, &SiteFinder::arranged, this, &SiteListPanel::arranged);
    // A reset (many records changed elsewhere at once) keeps the current record by its number.
    connect(&siteRegister, &SiteRegister::aboutToBeReset, this, [this] {
        const int row = selectedRow();
        m_currentNumber = row >= 0 ? sites().number(std::size_t(row)) : 0;
    });
    connect(&siteRegister, &SiteRegister::wasReset, this, [this] {
        const long long row = sites().positionOf(m_currentNumber);
        if (row >= 0)
            selectRow(int(row));
    });
    setUpView();
    followRemovals();
}

SiteListPanel::~SiteListPanel() = default;

const SiteList &SiteListPanel::sites() const
{
    return m_register.sites();
}

void SiteListPanel::setUpView()
{
    m_view.setSelectionBehavior(QAbstractItemView::SelectRows);
    // Shift and Ctrl with a click or the arrows, and Ctrl+A, choose several rows at once.
    m_view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view.setShowGrid(true);
    m_view.setWordWrap(false);
    m_view.verticalHeader()->hide();
    // Rows of one text line, all alike, so that the view never measures a row.
    m_view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view.verticalHeader()->setDefaultSectionSize(m_view.fontMetrics().height() + 4);
    QHeaderView *header = m_view.horizontalHeader();
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_columns = new SiteColumnWidths(m_view);
    m_dateColumns = new SiteDateColumns(m_view, *m_columns);
    m_view.viewport()->installEventFilter(this);
    m_view.installEventFilter(this);
    // The fields show the current row however it became current: mouse, keys, type-ahead, or a
    // change to the register that moved the current row to another record.
    connect(m_view.selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { followCurrentRow(current); });
}

// A row the view drops (its record gone, or hidden by a change to it) takes the current row
// with it: no other record's row becomes current in its place by itself.
void SiteListPanel::followRemovals()
{
    QAbstractItemModel *shown = m_finder->model();
    connect(shown, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex &, int first, int last) {
        if (m_viewDroppingRows)
            return;
        const int current = m_view.currentIndex().row();
        m_droppedCurrentAt = current >= first && current <= last ? first : -1;
        m_viewDroppingRows = true;
    });
    connect(shown, &QAbstractItemModel::rowsRemoved, this, [this] {
        m_viewDroppingRows = false;
        // Its record gone elsewhere, untouched fields go on to the row that took its place; a
        // record only hidden, or typing in the fields, stays, and no other row claims the fields.
        const int rows = m_finder->model()->rowCount();
        // The view may drop the row before the list drops the record.
        const bool gone = m_removingCurrent || sites().positionOf(m_fields.number()) < 0;
        m_removingCurrent = false;
        if (m_droppedCurrentAt >= 0 && gone && m_fields.isUntouched() && rows > 0) {
            selectViewRow(std::min(m_droppedCurrentAt, rows - 1));
            // The selection may already stand on that row (it moved there first): no change of
            // row then tells the fields.
            activateRow(currentRow());
        } else if (currentRow() < 0 || !m_fields.shows(sites().number(std::size_t(currentRow())))) {
            keepShownRecordCurrent();
        }
    });
}

bool SiteListPanel::isRearranged() const
{
    return m_finder->isRearranged();
}

int SiteListPanel::selectedRow() const
{
    int row = shownChosenRow();
    // A search may hide the record the fields show: the operations still act on it.
    if (row < 0 && m_finder->isRearranged())
        row = int(sites().positionOf(m_fields.number()));
    return row;
}

bool SiteListPanel::showsChosenRow() const
{
    return m_view.selectionModel() && m_view.selectionModel()->hasSelection();
}

int SiteListPanel::shownChosenRow() const
{
    const QItemSelectionModel *selection = m_view.selectionModel();
    if (!selection)
        return -1;
    int row = -1;
    auto consider = [this, &row](const QModelIndex &index) {
        const int position = sourceRow(index);
        if (position >= 0 && (row < 0 || position < row))
            row = position;
    };
    for (const QModelIndex &index : ChosenRows(*selection))
        consider(index);
    consider(selection->currentIndex());
    return row;
}

int SiteListPanel::currentRow() const
{
    const int row = sourceRow(m_view.currentIndex());
    return row >= 0 && std::size_t(row) < sites().size() ? row : -1;
}

bool SiteListPanel::selectRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return false;
    const QModelIndex shown = m_finder->model()->mapFromSource(m_model->index(row, 0));
    if (shown.isValid()) {
        selectViewRow(shown.row());
        return true;
    }
    // Not among the rows the search shows: the fields show it, and no row of the list claims it.
    m_view.selectionModel()->clear();
    activateRow(row);
    return true;
}

void SiteListPanel::selectLastRow()
{
    const int last = m_model->rowCount() - 1;
    if (last >= 0)
        selectRow(last);
}

int SiteListPanel::sourceRow(const QModelIndex &viewIndex) const
{
    return viewIndex.isValid() ? m_finder->model()->mapToSource(viewIndex).row() : -1;
}

void SiteListPanel::selectViewRow(int viewRow)
{
    const QModelIndex index = m_finder->model()->index(viewRow, 0);
    if (!index.isValid())
        return;
    m_view.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view.scrollTo(index);
}

// After a search or sort the list shows the record of the fields wherever it now stands, or,
// where the search hides it, no current row at all (rather than another record's).
void SiteListPanel::keepShownRecordCurrent()
{
    const long long position = sites().positionOf(m_fields.number());
    const QModelIndex shown = position < 0 ? QModelIndex()
                                           : m_finder->model()->mapFromSource(m_model->index(int(position), 0));
    if (shown.isValid())
        selectViewRow(shown.row());
    else
        m_view.selectionModel()->clear();
}

void SiteListPanel::activateRow(int row)
{
    if (row < 0 || std::size_t(row) >= sites().size())
        return;
    emit recordActivated(sites().number(std::size_t(row)));
}

void SiteListPanel::activateSelected()
{
    activateRow(shownChosenRow());
}

void SiteListPanel::followCurrentRow(const QModelIndex &current)
{
    // With no current row the fields keep what is typed. The same record made current again
    // (the list refreshed, a record moved) keeps it too: only another record replaces it.
    const int row = sourceRow(current);
    if (m_viewDroppingRows || row < 0 || std::size_t(row) >= sites().size()
        || m_fields.shows(sites().number(std::size_t(row))))
        return;
    activateRow(row);
}

bool SiteListPanel::eventFilter(QObject *watched, QEvent *event)
{
    // Any left click in the list, on a row or below the last one, copies the current row into
    // the fields; the view has already moved the selection on the press.
    if (watched == m_view.viewport() && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
        activateSelected();
    if (watched != &m_view || event->type() != QEvent::KeyPress)
        return false;
    const auto *press = static_cast<QKeyEvent *>(event);
    switch (press->key()) {
    // Return and Space pick the current row for editing, as a click does. Return goes no
    // further: the window has nothing for it. Space goes on to the type-ahead, where it may
    // be part of a name; a single-selection list never toggles the row away.
    case Qt::Key_Return:
    case Qt::Key_Enter:
        activateSelected();
        return true;
    case Qt::Key_Space:
        activateSelected();
        return false;
    // A list of whole rows: Home and End go to the first and last row, not the first and
    // last column.
    case Qt::Key_Home:
    case Qt::Key_End:
        if (press->modifiers() != Qt::NoModifier)
            return false;
        selectViewRow(press->key() == Qt::Key_Home ? 0 : m_finder->model()->rowCount() - 1);
        return true;
    default:
        return false;
    }
}

std::vector<SeenRecord> SiteListPanel::chosenRecords() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : ChosenRows(*m_view.selectionModel()))
        rows.push_back(sourceRow(index));
    // No row chosen (a search hides the one the fields show): the fields' record, as seen.
    if (rows.empty()) {
        if (sites().positionOf(m_fields.number()) < 0)
            return {};
        return {m_fields.seen()};
    }
    std::sort(rows.begin(), rows.end());
    std::vector<SeenRecord> chosen;
    chosen.reserve(rows.size());
    for (int row : rows) {
        if (row >= 0 && std::size_t(row) < sites().size())
            chosen.push_back({sites().number(std::size_t(row)), sites().at(std::size_t(row))});
    }
    return chosen;
}

bool SiteListPanel::lists(int number) const
{
    const long long position = sites().positionOf(number);
    return position >= 0 && m_finder->model()->mapFromSource(m_model->index(int(position), 0)).isValid();
}

std::vector<std::size_t> SiteListPanel::selectedPositions() const
{
    std::vector<std::size_t> selected;
    for (const QModelIndex &index : ChosenRows(*m_view.selectionModel()))
        selected.push_back(std::size_t(sourceRow(index)));
    std::sort(selected.begin(), selected.end());
    return selected;
}

std::vector<std::size_t> SiteListPanel::shownPositions() const
{
    const SiteFilterModel *view = m_finder->model();
    std::vector<std::size_t> shown;
    shown.reserve(std::size_t(view->rowCount()));
    for (int row = 0; row < view->rowCount(); ++row)
        shown.push_back(std::size_t(view->mapToSource(view->index(row, 0)).row()));
    return shown;
}

SiteListPanel::DeletePlace SiteListPanel::placeBeforeDelete() const
{
    int viewRow = m_view.currentIndex().row();
    for (const QItemSelectionRange &range : m_view.selectionModel()->selection())
        viewRow = viewRow < 0 ? range.top() : std::min(viewRow, range.top());
    const int position = selectedRow();
    return {viewRow, position >= 0 ? sites().number(std::size_t(position)) : 0};
}

void SiteListPanel::afterDelete(const DeletePlace &place)
{
    if (place.viewRow >= 0 && place.number != 0 && sites().positionOf(place.number) < 0 && m_finder->isRearranged())
        selectViewRow(std::min(place.viewRow, m_finder->model()->rowCount() - 1));
}

void SiteListPanel::showKeyword(const QByteArray &keyword)
{
    m_finder->showKeyword(keyword);
}

const QByteArray &SiteListPanel::shownKeyword() const
{
    return m_finder->shownKeyword();
}

void SiteListPanel::showLinkResults(LinkResults results)
{
    m_model->setLinkResults(std::move(results));
    m_finder->reloadLinkResults();
}
