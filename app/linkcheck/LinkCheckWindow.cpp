#include "LinkCheckWindow.h"

#include "CodePage.h"
#include "DialogUnits.h"
#include "KeywordList.h"
#include "LinkCheckTable.h"
#include "LinkHealth.h"
#include "ShownText.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

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
    m_byKeyword = addChoice(QStringLiteral("キーワード「%1」のサイト").arg(CodePage::toTypedText(m_keyword)), keywordCount);
    m_bySelection = addChoice(QStringLiteral("選択した行"), m_selected.size());
    m_byKeyword->setVisible(m_keyword != kAllKeywords);
    for (QRadioButton *choice : {m_all, m_byKeyword, m_bySelection}) {
        group->addButton(choice);
        choiceLayout->addWidget(choice);
    }
    choiceLayout->addStretch();
    // Rows chosen one by one are the sites the user means; a single one is only the current row.
    (m_selected.size() > 1 ? m_bySelection : m_all)->setChecked(true);
    // Tab reaches a group of choices at its checked one, as it will once a choice had the focus
    // (Qt gives Tab to the button last focused, which none has been yet).
    for (QRadioButton *choice : {m_all, m_byKeyword, m_bySelection})
        choice->setFocusPolicy(choice->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);

    m_start = new QPushButton(QStringLiteral("開始"), this);
    m_start->setObjectName(QStringLiteral("start"));
    m_start->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("中止"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setFormat(QStringLiteral("まだ確認していません"));
    m_problemsOnly = new QCheckBox(QStringLiteral("問題のみ"), this);
    m_problemsOnly->setToolTip(QStringLiteral("リンク切れ・警告・移転のサイトだけを表示します"));
    auto *controls = new QHBoxLayout;
    controls->addWidget(m_start);
    controls->addWidget(m_cancel);
    controls->addWidget(m_progress, 1);
    controls->addWidget(m_problemsOnly);

    m_table = new LinkCheckTable(this);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setTextFormat(Qt::PlainText);
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
    connect(m_problemsOnly, &QCheckBox::toggled, m_table, &LinkCheckTable::setProblemsOnly);
    connect(m_table, &LinkCheckTable::moveTaken, this, &LinkCheckWindow::takeMove);
    setChecking(false);

    // Results of other sites and earlier checks are kept; a damaged file starts afresh.
    if (m_run.results().load(m_resultsPath))
        showLastResults();
    else
        m_summary->setText(QStringLiteral("これまでの結果を読めないため、新しい結果だけを保存します。"));
}

QRadioButton *LinkCheckWindow::addChoice(const QString &text, std::size_t count)
{
    auto *choice = new QRadioButton(QStringLiteral("%1（%2件）").arg(text, QString::number(count)), m_choices);
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

void LinkCheckWindow::showSites(std::vector<std::size_t> positions)
{
    m_positions = std::move(positions);
    QStringList names;
    QStringList urls;
    for (const std::size_t position : m_positions) {
        names << ShownName(m_sites.at(position));
        urls << CodePage::urlToDisplayText(m_sites.at(position).GetUrl());
    }
    m_table->setSites(names, urls);
    m_outcomes.assign(m_positions.size(), std::nullopt);
}

// The last answer for each site whose URL the results file holds, in register order.
void LinkCheckWindow::showLastResults()
{
    std::vector<std::size_t> checked;
    QDateTime last;
    for (std::size_t position = 0; position < m_sites.size(); ++position) {
        if (const CheckedLink *link = m_run.results().find(m_sites.at(position).GetUrl())) {
            checked.push_back(position);
            last = std::max(last, link->checkedAt);
        }
    }
    showSites(checked);
    for (int index = 0; index < int(m_positions.size()); ++index)
        showResult(index, m_run.results().find(m_sites.at(m_positions[std::size_t(index)]).GetUrl())->result);
    if (checked.empty())
        return;
    m_progress->setRange(0, int(checked.size()));
    m_progress->setValue(int(checked.size()));
    m_progress->setFormat(QStringLiteral("前回の結果 %m 件"));
    m_summary->setText(QStringLiteral("前回の確認（%1）の結果です。")
                           .arg(last.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
}

void LinkCheckWindow::startCheck()
{
    if (m_run.isRunning())
        return;
    showSites(chosenPositions());
    m_cancelled = false;
    // The count is true before the first answer comes.
    m_progress->setRange(0, std::max(int(m_positions.size()), 1));
    m_progress->setValue(0);
    m_progress->setFormat(QStringLiteral("%v / ") + QString::number(m_positions.size()) + QStringLiteral(" 件"));
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

void LinkCheckWindow::showResult(int index, const LinkResult &result)
{
    m_outcomes[std::size_t(index)] = result.status;
    LinkResult shown = result;
    // A URL the register cannot store is not offered.
    QByteArray newUrl;
    if (!CodePage::fromText(result.movedTo, newUrl))
        shown.movedTo.clear();
    m_table->showResult(index, shown);
}

void LinkCheckWindow::takeMove(int index, const QString &movedTo)
{
    const std::size_t position = m_positions[std::size_t(index)];
    SiteRecord &site = m_sites.at(position);
    const QByteArray oldUrl = site.GetUrl();
    QByteArray newUrl;
    CodePage::fromText(movedTo, newUrl);
    // The window's copy follows, so that the next check and its results file see the new URL.
    site.SetUrl(newUrl);
    emit urlUpdateRequested(m_sites.number(position), oldUrl, newUrl);
}

void LinkCheckWindow::finishCheck()
{
    setChecking(false);
    int done = 0;
    int counts[int(LinkVerdict::Dead) + 1] = {};
    for (const std::optional<LinkStatus> &status : m_outcomes) {
        if (!status)
            continue;
        ++done;
        ++counts[int(LinkVerdictOf(*status))];
    }
    m_table->markUnanswered(QStringLiteral("中止"));
    // Not checked for want of a network: no verdict, no warning.
    const int unchecked = int(std::count(m_outcomes.begin(), m_outcomes.end(), std::optional(LinkStatus::Offline)));
    done -= unchecked;
    counts[int(LinkVerdict::Warning)] -= unchecked;
    // Said once for the run, however many sites it left unasked.
    QString summary;
    if (m_run.wasOffline() && !m_cancelled) {
        summary = QStringLiteral("ネットワークに接続できません（どのホストからも応答がないため、%1件とも確認していません）。").arg(unchecked);
    } else {
        if (m_run.networkFailed())
            summary = QStringLiteral("ネットワークに接続できません（接続できなかったサイトはリンク切れとしません）。");
        summary += m_cancelled ? QStringLiteral("中止しました。%1件中%2件を確認しました").arg(m_outcomes.size()).arg(done)
                               : QStringLiteral("%1件を確認しました").arg(done);
        summary += QStringLiteral("（リンク切れ %1件、移転 %2件、警告 %3件%4）。")
                       .arg(QString::number(counts[int(LinkVerdict::Dead)]), QString::number(counts[int(LinkVerdict::Moved)]),
                            QString::number(counts[int(LinkVerdict::Warning)]),
                            unchecked ? QStringLiteral("、未確認 %1件").arg(unchecked) : QString());
    }
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
