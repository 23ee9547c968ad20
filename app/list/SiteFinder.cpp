#include "SiteFinder.h"

#include "CodePage.h"
#include "KeywordList.h"
#include "LinkHealth.h"
#include "SiteFilterModel.h"
#include "SiteList.h"
#include "SiteSearchBar.h"
#include "SiteTableModel.h"

#include <QEvent>
#include <QHeaderView>
#include <QShortcut>
#include <QTableView>

SiteFinder::SiteFinder(QTableView &view, SiteTableModel &source, const SiteList &sites, SiteSearchBar &bar,
                       QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_sites(sites)
    , m_bar(bar)
    , m_model(new SiteFilterModel(this))
{
    m_model->setSourceModel(&source);
    view.setModel(m_model);
    QHeaderView *header = view.horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sectionClicked, this, &SiteFinder::sortBy);

    connect(&bar, &SiteSearchBar::searchChanged, m_model, &SiteFilterModel::setSearchText);
    connect(&bar, &SiteSearchBar::deadOnlyToggled, this, &SiteFinder::narrow);
    connect(&bar, &SiteSearchBar::keywordCleared, this, [this] { showKeyword(QByteArray()); });
    connect(&bar, &SiteSearchBar::downPressed, this, [this] {
        m_view.setFocus(Qt::TabFocusReason);
        if (!m_view.currentIndex().isValid() && m_model->rowCount() > 0)
            m_view.selectionModel()->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::ClearAndSelect
                                                                               | QItemSelectionModel::Rows);
    });
    auto *find = new QShortcut(QKeySequence::Find, bar.window());
    connect(find, &QShortcut::activated, &bar, &SiteSearchBar::focusSearch);

    connect(m_model, &SiteFilterModel::arranged, this, &SiteFinder::arranged);
    for (QAbstractItemModel *model : {static_cast<QAbstractItemModel *>(m_model), static_cast<QAbstractItemModel *>(&source)}) {
        connect(model, &QAbstractItemModel::rowsInserted, this, &SiteFinder::showCounts);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &SiteFinder::showCounts);
        connect(model, &QAbstractItemModel::modelReset, this, &SiteFinder::showCounts);
        connect(model, &QAbstractItemModel::layoutChanged, this, &SiteFinder::showCounts);
    }
    showCounts();
    view.viewport()->installEventFilter(this);
}

// Once the list has been painted the first time, the search texts are prepared: the window
// comes up first, and the first keystroke finds them ready.
bool SiteFinder::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched == m_view.viewport()) {
        watched->removeEventFilter(this);
        QMetaObject::invokeMethod(m_model, &SiteFilterModel::prepare, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

bool SiteFinder::isRearranged() const
{
    return m_model->sortColumn() >= 0 || m_model->rowCount() != m_model->sourceRowCount();
}

void SiteFinder::reloadLinkResults()
{
    if (m_bar.deadOnly())
        narrow();
}

void SiteFinder::showKeyword(const QByteArray &keyword)
{
    m_keyword = keyword;
    m_bar.showKeyword(keyword.isNull() ? QString() : CodePage::toTypedText(keyword));
    narrow();
}

void SiteFinder::narrow()
{
    const bool deadOnly = m_bar.deadOnly(), byKeyword = !m_keyword.isNull();
    if (!deadOnly && !byKeyword) {
        m_model->setRowCondition({});
        return;
    }
    // The marks the list shows decide: a site is dead when its mark says so.
    const QAbstractItemModel *source = m_model->sourceModel();
    const SiteList &sites = m_sites;
    const QByteArray keyword = m_keyword;
    m_model->setRowCondition([=, &sites](int row) {
        if (byKeyword && !CarriesKeyword(sites.at(std::size_t(row)), keyword))
            return false;
        return !deadOnly || source->index(row, 0).data(SiteTableModel::LinkHealthRole).toInt() == int(LinkVerdict::Dead);
    });
}

// Ascending, descending, then the register's order again.
void SiteFinder::sortBy(int column)
{
    int sortColumn = column;
    Qt::SortOrder order = Qt::AscendingOrder;
    if (column == m_model->sortColumn()) {
        if (m_model->sortOrder() == Qt::AscendingOrder)
            order = Qt::DescendingOrder;
        else
            sortColumn = -1;
    }
    m_model->sort(sortColumn, order);
    m_view.horizontalHeader()->setSortIndicator(sortColumn, order);
}

void SiteFinder::showCounts()
{
    m_bar.setCounts(m_model->rowCount(), m_model->sourceRowCount());
}
