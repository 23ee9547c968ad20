#include "LinkCollection.h"

#include "CodePage.h"
#include "DialogTemplate.h"
#include "KeywordList.h"
#include "LiveKeywordList.h"
#include "LinkCodeBox.h"
#include "LinkCodeDocument.h"
#include "LinkPage.h"
#include "LinkResults.h"
#include "LinkStatus.h"
#include "SiteClock.h"
#include "SiteListPanel.h"
#include "SiteSession.h"

#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QComboBox>
#include <QRadioButton>
#include <QStandardItemModel>

#include <algorithm>

namespace {

// The least time between two makings of the code in a burst of the register's changes, in ms.
constexpr qint64 kLeastInterval = 200;

} // namespace

template <class Widget>
Widget *LinkCollection::widget(int id) const
{
    return qobject_cast<Widget *>(m_page.control(id));
}

LinkCollection::LinkCollection(LinkPage &page, const SiteSession &session, const SiteListPanel &list,
                               const LiveKeywordList &keywords, QByteArray &keyword, QObject *parent)
    : QObject(parent), m_page(page), m_session(session), m_list(list), m_keywords(keywords), m_keyword(keyword)
{
    // A burst of changes (a sync tool bringing thousands of sites) makes the code a few times a
    // second, not once per change: a register's code and its preview take a while to lay out.
    m_refresh.setSingleShot(true);
    connect(&m_refresh, &QTimer::timeout, this, &LinkCollection::refreshIfStale);
    m_page.installEventFilter(this);
}

bool LinkCollection::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_page && event->type() == QEvent::Show)
        refreshIfStale();
    return QObject::eventFilter(watched, event);
}

bool LinkCollection::showsCode() const
{
    return !widget<LinkCodeBox>(ControlId::LinkCode)->linkCode().isEmpty();
}

void LinkCollection::markStale()
{
    m_stale = true;
    if (!m_page.isVisible() || m_refresh.isActive())
        return;
    if (m_sinceMade.isValid() && m_sinceMade.elapsed() < kLeastInterval)
        m_refresh.start(int(kLeastInterval - m_sinceMade.elapsed()));
    else
        refreshIfStale();
}

void LinkCollection::followNow()
{
    m_stale = true;
    if (m_page.isVisible() || showsCode())
        refreshIfStale();
}

void LinkCollection::refreshIfStale()
{
    if (m_stale)
        emit codeOutdated();
}

void LinkCollection::fillKeywords()
{
    auto *combo = widget<QComboBox>(ControlId::KeywordCombo);
    auto *entries = qobject_cast<QStandardItemModel *>(combo->model());
    combo->clear();
    // All rows in one insertion: a register can carry thousands of keywords, and the combo
    // would otherwise react to each one.
    QList<QStandardItem *> rows;
    int chosen = -1;
    for (const QByteArray &keyword : m_keywords.list()) {
        // The blank entry needs a face to be found; it still stands for the empty keyword.
        auto *row = new QStandardItem(keyword.isEmpty() ? QString::fromUtf8("（空欄）") : CodePage::toTypedText(keyword));
        row->setData(keyword, Qt::UserRole);
        if (keyword == m_keyword)
            chosen = int(rows.size());
        rows.append(row);
    }
    entries->invisibleRootItem()->appendRows(rows);
    combo->setCurrentIndex(std::max(chosen, 0));
    // The chosen keyword went with the last site that carried it: the collection is for all
    // sites again, and the code shown says so.
    if (chosen < 0) {
        m_keyword = kAllKeywords;
        followNow();
    }
}

void LinkCollection::takeChosenKeyword()
{
    const auto *combo = widget<QComboBox>(ControlId::KeywordCombo);
    if (combo->currentIndex() >= 0)
        m_keyword = combo->currentData(Qt::UserRole).toByteArray();
}

LinkCodeMode LinkCollection::mode() const
{
    if (widget<QRadioButton>(ControlId::ModeName)->isChecked())
        return LinkCodeMode::Name;
    if (widget<QRadioButton>(ControlId::ModeNameAndContent)->isChecked())
        return LinkCodeMode::NameAndContent;
    return LinkCodeMode::Content;
}

void LinkCollection::generate()
{
    m_stale = false;
    m_refresh.stop();
    m_sinceMade.start();
    LinkExclusion leftOut;
    LinkResults results;
    // A results file that cannot be read leaves nothing out: no link is known to be dead.
    if (widget<QCheckBox>(ControlId::ExcludeDeadLinks)->isChecked()) {
        results = m_session.readLinkResults();
        leftOut = [&results](const QByteArray &url) {
            const CheckedLink *checked = results.find(url);
            return checked && IsDeadLink(checked->result);
        };
    }
    // Days that are no number, or none, mark nothing: the box shows the code without marks.
    NewSiteMark newMark;
    if (widget<QCheckBox>(ControlId::NewMarks)->isChecked()) {
        newMark.days = std::clamp(widget<QLineEdit>(ControlId::NewDays)->text().trimmed().toInt(), 0, NewSiteMark::kMaxDays);
        newMark.now = SiteClockNow();
        const QString html = widget<QLineEdit>(ControlId::NewMarkHtml)->text().trimmed();
        if (!html.isEmpty())
            newMark.html = LinkCodeFromText(html);
    }
    const SiteList &sites = m_session.sites();
    QByteArray code;
    if (widget<QCheckBox>(ControlId::ListOrder)->isChecked()) {
        // The sites as the list shows them: found by the search, in the order of its sorting.
        std::vector<const SiteRecord *> shown;
        for (std::size_t position : m_list.shownPositions())
            shown.push_back(&sites.at(position));
        code = BuildLinkCode(shown, m_keyword, mode(), leftOut, newMark);
    } else {
        code = BuildLinkCode(sites, m_keyword, mode(), leftOut, newMark);
    }
    widget<LinkCodeBox>(ControlId::LinkCode)->setLinkCode(code);
}

void LinkCollection::listArranged()
{
    // Code written in the list's order follows the list.
    if (widget<QCheckBox>(ControlId::ListOrder)->isChecked())
        followNow();
}
