#include "LinkCheckWindow.h"

#include "CodePage.h"
#include "DialogUnits.h"
#include "KeywordList.h"
#include "LinkHealthIcon.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

namespace {

enum Column { Name, Url, Status, Code, FinalUrl, Update, ColumnCount };

QTableWidgetItem *cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

LinkCheckWindow::LinkCheckWindow(const SiteList &sites, const QString &resultsPath, const QByteArray &keyword,
                                 std::vector<std::size_t> selected, QWidget *parent)
    : QDialog(parent)
    , m_sites(sites)
    , m_resultsPath(resultsPath)
    , m_keyword(keyword)
    , m_selected(std::move(selected))
{
    setWindowTitle(QStringLiteral("リンクの確認"));
    // A window does not take its owner's font; it uses the one of the program's other windows.
    setFont(DialogUnits::dialogFont());
    // A window of its own: the main window stays usable while a long check runs.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setModal(false);

    m_choices = new QGroupBox(QStringLiteral("確認するサイト"), this);
    auto *choiceLayout = new QHBoxLayout(m_choices);
    auto *group = new QButtonGroup(this);
    std::size_t keywordCount = 0;
    for (const SiteRecord &site : m_sites)
        keywordCount += SiteMatchesKeyword(site, m_keyword);
    m_all = addChoice(QStringLiteral("すべてのサイト"), m_sites.size());
    m_byKeyword = addChoice(QStringLiteral("キーワード「%1」のサイト").arg(CodePage::toText(m_keyword)), keywordCount);
    m_bySelection = addChoice(QStringLiteral("選択した行"), m_selected.size());
    m_byKeyword->setVisible(m_keyword != kAllKeywords);
    for (QRadioButton *choice : {m_all, m_byKeyword, m_bySelection}) {
        group->addButton(choice);
        choiceLayout->addWidget(choice);
    }
    choiceLayout->addStretch();
    m_all->setChecked(true);

    m_start = new QPushButton(QStringLiteral("開始"), this);
    m_start->setObjectName(QStringLiteral("start"));
    m_start->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("中止"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_progress = new QProgressBar(this);
    m_progress->setFormat(QStringLiteral("%v / %m"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    auto *controls = new QHBoxLayout;
    controls->addWidget(m_start);
    controls->addWidget(m_cancel);
    controls->addWidget(m_progress, 1);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("サイト名"), QStringLiteral("URL"), QStringLiteral("状態"),
                                        QStringLiteral("コード"), QStringLiteral("最終URL"), QString()});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    // The final URL takes the room the window is given; a row is as tall as its button.
    m_table->horizontalHeader()->setSectionResizeMode(FinalUrl, QHeaderView::Stretch);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 12);
    m_table->setColumnWidth(Name, 150);
    m_table->setColumnWidth(Url, 220);
    m_table->setColumnWidth(Status, 120);
    m_table->setColumnWidth(Code, 50);

    m_summary = new QLabel(this);
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setAutoDefault(false);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_summary, 1);
    bottom->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_choices);
    layout->addLayout(controls);
    layout->addWidget(m_table, 1);
    layout->addLayout(bottom);
    resize(900, 480);

    connect(m_start, &QPushButton::clicked, this, &LinkCheckWindow::startCheck);
    connect(m_cancel, &QPushButton::clicked, this, &LinkCheckWindow::cancelCheck);
    connect(close, &QPushButton::clicked, this, &LinkCheckWindow::reject);
    connect(&m_run, &LinkCheckRun::linkChecked, this, &LinkCheckWindow::showResult);
    connect(&m_run, &LinkCheckRun::progressed, this, [this](int done, int all) {
        m_progress->setRange(0, std::max(all, 1));
        m_progress->setValue(done);
    });
    connect(&m_run, &LinkCheckRun::finished, this, &LinkCheckWindow::finishCheck);
    setChecking(false);

    // Results of other sites and earlier checks are kept; a damaged file starts afresh.
    if (!m_run.results().load(m_resultsPath))
        m_summary->setText(QStringLiteral("これまでの結果を読めないため、新しい結果だけを保存します。"));
}

QRadioButton *LinkCheckWindow::addChoice(const QString &text, std::size_t count)
{
    auto *choice = new QRadioButton(QStringLiteral("%1（%2件）").arg(text).arg(count), m_choices);
    choice->setEnabled(count > 0);
    return choice;
}

std::vector<std::size_t> LinkCheckWindow::chosenPositions() const
{
    if (m_bySelection->isChecked())
        return m_selected;
    std::vector<std::size_t> positions;
    for (std::size_t position = 0; position < m_sites.size(); ++position) {
        if (!m_byKeyword->isChecked() || SiteMatchesKeyword(m_sites.at(position), m_keyword))
            positions.push_back(position);
    }
    return positions;
}

void LinkCheckWindow::startCheck()
{
    if (m_run.isRunning())
        return;
    m_positions = chosenPositions();
    m_table->setRowCount(0);
    m_table->setRowCount(int(m_positions.size()));
    for (int row = 0; row < int(m_positions.size()); ++row) {
        const SiteRecord &site = m_sites.at(m_positions[std::size_t(row)]);
        m_table->setItem(row, Name, cell(CodePage::toText(site.m_name)));
        m_table->setItem(row, Url, cell(CodePage::toText(site.m_url)));
        m_table->setItem(row, Status, cell(QStringLiteral("確認待ち")));
    }
    m_outcomes.assign(m_positions.size(), std::nullopt);
    m_cancelled = false;
    m_summary->setText(QStringLiteral("確認しています…"));
    setChecking(true);
    m_run.start(m_sites, m_positions);
}

void LinkCheckWindow::cancelCheck()
{
    if (!m_run.isRunning())
        return;
    m_cancelled = true;
    m_run.cancel();
}

void LinkCheckWindow::showResult(int row, const LinkResult &result)
{
    m_outcomes[std::size_t(row)] = result.status;
    QTableWidgetItem *status = cell(LinkStatusLabel(result.status));
    status->setIcon(LinkHealthIcon(LinkVerdictOf(result.status)));
    status->setToolTip(result.message);
    m_table->setItem(row, Status, status);
    m_table->setItem(row, Code, cell(result.code ? QString::number(result.code) : QString()));
    m_table->setItem(row, FinalUrl, cell(result.finalUrl));
    if (result.status == LinkStatus::Moved && !result.movedTo.isEmpty())
        offerUpdate(row, result.movedTo);
}

void LinkCheckWindow::offerUpdate(int row, const QString &movedTo)
{
    QByteArray newUrl;
    // A URL the register cannot store is not offered.
    if (!CodePage::fromText(movedTo, newUrl))
        return;
    auto *button = new QPushButton(QStringLiteral("URLを更新"));
    button->setAutoDefault(false);
    button->setToolTip(movedTo);
    const std::size_t position = m_positions[std::size_t(row)];
    connect(button, &QPushButton::clicked, this, [this, button, position, newUrl] {
        SiteRecord &site = m_sites.at(position);
        const QByteArray oldUrl = site.m_url;
        // The window's copy follows, so that the next check and its results file see the new URL.
        site.m_url = newUrl;
        button->setEnabled(false);
        button->setText(QStringLiteral("更新しました"));
        emit urlUpdateRequested(m_sites.number(position), oldUrl, newUrl);
    });
    m_table->setCellWidget(row, Update, button);
}

void LinkCheckWindow::finishCheck()
{
    setChecking(false);
    int done = 0;
    int dead = 0;
    int moved = 0;
    for (int row = 0; row < int(m_outcomes.size()); ++row) {
        const std::optional<LinkStatus> status = m_outcomes[std::size_t(row)];
        if (!status) {
            m_table->item(row, Status)->setText(QStringLiteral("中止"));
            continue;
        }
        ++done;
        dead += LinkVerdictOf(*status) == LinkVerdict::Dead;
        moved += *status == LinkStatus::Moved;
    }
    QString summary = m_cancelled
        ? QStringLiteral("中止しました。%1件中%2件を確認しました").arg(m_outcomes.size()).arg(done)
        : QStringLiteral("%1件を確認しました").arg(done);
    summary += QStringLiteral("（リンク切れ %1件、移転 %2件）。").arg(dead).arg(moved);
    if (IoResult saved = m_run.results().save(m_resultsPath, m_sites); !saved)
        summary += QStringLiteral("結果を保存できませんでした。") + saved.describe();
    m_summary->setText(summary);
    emit checkFinished();
}

void LinkCheckWindow::setChecking(bool checking)
{
    m_start->setEnabled(!checking);
    m_cancel->setEnabled(checking);
    // The choices with no site keep their own disabled state.
    m_choices->setEnabled(!checking);
}

// Escape, the close box and 閉じる all come here.
void LinkCheckWindow::reject()
{
    cancelCheck();
    QDialog::reject();
}
