#include "LinkCheckTable.h"

#include "DisplayText.h"
#include "LinkHealthIcon.h"

#include <QHeaderView>
#include <QPushButton>

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kProblemRole = Qt::UserRole + 1;

// A cell that sorts by a number of its own rather than by its text: a status by how much it asks
// of the user, a code by its value.
class KeyedItem : public QTableWidgetItem
{
public:
    KeyedItem(const QString &text, int key)
        : QTableWidgetItem(text)
    {
        setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setData(kKeyRole, key);
    }
    bool operator<(const QTableWidgetItem &other) const override
    {
        const QVariant mine = data(kKeyRole), theirs = other.data(kKeyRole);
        if (mine.isValid() && theirs.isValid())
            return mine.toInt() < theirs.toInt();
        return QTableWidgetItem::operator<(other);
    }
};

QTableWidgetItem *cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

// What needs a look: a link that is dead, warned of, or could take the URL it moved to.
bool isProblem(LinkStatus status)
{
    const LinkVerdict verdict = LinkVerdictOf(status);
    return verdict == LinkVerdict::Dead || verdict == LinkVerdict::Warning || verdict == LinkVerdict::Moved;
}

// Sorted ascending, the sites that need a look come first, the worst of them at the top.
int statusKey(LinkStatus status)
{
    switch (LinkVerdictOf(status)) {
    case LinkVerdict::Dead: return 0;
    case LinkVerdict::Warning: return 1;
    case LinkVerdict::Moved: return 2;
    case LinkVerdict::Ok: return 3;
    case LinkVerdict::Unchecked: return 4;
    }
    return 4;
}
constexpr int kWaitingKey = 5;

} // namespace

LinkCheckTable::LinkCheckTable(QWidget *parent)
    : QTableWidget(0, ColumnCount, parent)
{
    setHorizontalHeaderLabels({QStringLiteral("サイト名"), QStringLiteral("URL"), QStringLiteral("状態"),
                               QStringLiteral("コード"), QStringLiteral("最終URL"), QString(), QString()});
    setColumnHidden(Order, true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->hide();
    // The final URL takes the room the window is given; a row is as tall as its button.
    horizontalHeader()->setSectionResizeMode(FinalUrl, QHeaderView::Stretch);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 12);
    setColumnWidth(Name, 150);
    setColumnWidth(Url, 220);
    setColumnWidth(Status, 120);
    setColumnWidth(Code, 50);
    QHeaderView *header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sectionClicked, this, &LinkCheckTable::sortBy);
}

void LinkCheckTable::setSites(const QStringList &names, const QStringList &urls)
{
    // Filled in the given order, then sorted as the user chose.
    setSortingEnabled(false);
    setRowCount(0);
    setRowCount(int(names.size()));
    m_orderItems.clear();
    for (int row = 0; row < int(names.size()); ++row) {
        setItem(row, Name, cell(names[row]));
        setItem(row, Url, cell(urls.value(row)));
        setItem(row, Status, new KeyedItem(QStringLiteral("確認待ち"), kWaitingKey));
        setItem(row, Code, new KeyedItem(QString(), 0));
        setItem(row, FinalUrl, cell(QString()));
        auto *order = new KeyedItem(QString(), row);
        setItem(row, Order, order);
        m_orderItems.push_back(order);
    }
    if (m_sortColumn >= 0) {
        horizontalHeader()->setSortIndicator(m_sortColumn, m_sortOrder);
        setSortingEnabled(true);
        horizontalHeader()->setSortIndicatorShown(true);
    }
    for (int row = 0; row < rowCount(); ++row)
        showIfWanted(row);
}

int LinkCheckTable::rowOf(int index) const
{
    return index >= 0 && std::size_t(index) < m_orderItems.size() ? row(m_orderItems[std::size_t(index)]) : -1;
}

void LinkCheckTable::showResult(int index, const LinkResult &result)
{
    const int row = rowOf(index);
    if (row < 0)
        return;
    // Each cell is written in place: with a sort in force the row may move on each write, so the
    // row is looked up afresh for each.
    QTableWidgetItem *status = item(row, Status);
    // Not checked for want of a network: no mark of any verdict.
    status->setIcon(LinkHealthIcon(result.status == LinkStatus::Offline ? LinkVerdict::Unchecked : LinkVerdictOf(result.status)));
    status->setToolTip(DisplayText::toolTip(result.message));
    status->setData(kProblemRole, isProblem(result.status));
    status->setData(kKeyRole, statusKey(result.status));
    status->setText(LinkStatusLabel(result.status));
    QTableWidgetItem *code = item(rowOf(index), Code);
    code->setData(kKeyRole, result.code);
    code->setText(result.code ? QString::number(result.code) : QString());
    item(rowOf(index), FinalUrl)->setText(result.finalUrl);
    if (result.status == LinkStatus::Moved && !result.movedTo.isEmpty())
        offerMove(index, result.movedTo);
    showIfWanted(rowOf(index));
}

void LinkCheckTable::offerMove(int index, const QString &movedTo)
{
    auto *button = new QPushButton(QStringLiteral("URLを更新"));
    button->setAutoDefault(false);
    button->setToolTip(DisplayText::toolTip(movedTo));
    connect(button, &QPushButton::clicked, this, [this, button, index, movedTo] {
        button->setEnabled(false);
        button->setText(QStringLiteral("更新しました"));
        emit moveTaken(index, movedTo);
    });
    setCellWidget(rowOf(index), Update, button);
}

void LinkCheckTable::markUnanswered(const QString &text)
{
    for (int row = 0; row < rowCount(); ++row) {
        QTableWidgetItem *status = item(row, Status);
        if (status->data(kKeyRole).toInt() == kWaitingKey)
            status->setText(text);
    }
}

void LinkCheckTable::setProblemsOnly(bool on)
{
    m_problemsOnly = on;
    for (int row = 0; row < rowCount(); ++row)
        showIfWanted(row);
}

void LinkCheckTable::showIfWanted(int row)
{
    if (row >= 0)
        setRowHidden(row, m_problemsOnly && !item(row, Status)->data(kProblemRole).toBool());
}

// Ascending, descending, then the order given. While sorted, the table keeps itself sorted as
// answers come in.
void LinkCheckTable::sortBy(int column)
{
    if (column == Update) {
        // Buttons, not texts: nothing to sort by (the header may have flipped its arrow itself).
        horizontalHeader()->setSortIndicator(m_sortColumn, m_sortOrder);
        return;
    }
    if (column == m_sortColumn && m_sortOrder == Qt::DescendingOrder) {
        m_sortColumn = -1;
        m_sortOrder = Qt::AscendingOrder;
        setSortingEnabled(false);
        sortItems(Order);
    } else {
        m_sortOrder = column == m_sortColumn ? Qt::DescendingOrder : Qt::AscendingOrder;
        m_sortColumn = column;
        horizontalHeader()->setSortIndicator(column, m_sortOrder);
        setSortingEnabled(true);
    }
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(m_sortColumn, m_sortOrder);
    for (int row = 0; row < rowCount(); ++row)
        showIfWanted(row);
}
