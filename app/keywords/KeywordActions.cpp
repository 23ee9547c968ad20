#include "KeywordActions.h"

#include "CodePage.h"
#include "DialogTemplate.h"
#include "KeyboardCommands.h"
#include "KeywordDialog.h"
#include "KeywordEdits.h"
#include "KeywordList.h"
#include "MessageBoxes.h"
#include "RegistrationOperations.h"
#include "SiteEntry.h"
#include "SiteListPanel.h"
#include "SiteRegister.h"
#include "StatusLine.h"

#include <QAction>
#include <QTableView>

#include <algorithm>

namespace {

QString quoted(const QByteArray &keyword)
{
    return QString::fromUtf8("「%1」").arg(CodePage::toTypedText(keyword));
}

int sitesCarrying(const SiteList &sites, const QByteArray &keyword)
{
    return int(std::count_if(sites.begin(), sites.end(), [&keyword](const SiteRecord &site) { return CarriesKeyword(site, keyword); }));
}

} // namespace

KeywordActions::KeywordActions(QWidget &window, SiteRegister &siteRegister, UndoHistory &history, SiteListPanel &list,
                               QTableView &view, MessageBoxes &boxes, StatusLine &status, QList<QAction *> shared)
    : QObject(&window), m_window(window), m_register(siteRegister), m_history(history), m_list(list), m_boxes(boxes),
      m_status(status), m_view(new QAction(QStringLiteral("キーワード一覧…"), &window)),
      m_set(new QAction(QStringLiteral("キーワードを設定…"), &window)), m_shared(std::move(shared))
{
    m_view->setObjectName(QStringLiteral("keywordViewAction"));
    m_view->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    m_view->setToolTip(WithKey(QStringLiteral("全てのキーワードとサイト数"), m_view->shortcut()));
    m_set->setObjectName(QStringLiteral("setKeywordAction"));
    m_set->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
    m_set->setToolTip(WithKey(QStringLiteral("選んだサイトにキーワードを設定します"), m_set->shortcut()));
    m_set->setProperty("needsRow", true);
    auto *separator = new QAction(&window);
    separator->setSeparator(true);
    view.addAction(separator);
    view.addAction(m_view);
    view.addAction(m_set);
    connect(m_view, &QAction::triggered, this, &KeywordActions::openView);
    connect(m_set, &QAction::triggered, this, &KeywordActions::setOnChosenSites);
    m_recount.setSingleShot(true);
    m_recount.setInterval(200);
    connect(&m_recount, &QTimer::timeout, this, [this] {
        if (m_dialog && m_dialog->isVisible())
            refreshView();
    });
    connect(&siteRegister, &SiteRegister::listChanged, &m_recount, qOverload<>(&QTimer::start));
}

QString KeywordActions::caption() const
{
    return DialogTemplates::mainDialog().captionText();
}

void KeywordActions::openView()
{
    if (!m_dialog) {
        m_dialog = new KeywordDialog(&m_window);
        m_dialog->setAttribute(Qt::WA_DeleteOnClose);
        m_dialog->addActions(m_shared);
        connect(m_dialog, &KeywordDialog::showRequested, &m_list, &SiteListPanel::showKeyword);
        connect(m_dialog, &KeywordDialog::renameRequested, this, &KeywordActions::rename);
        connect(m_dialog, &KeywordDialog::removeRequested, this, &KeywordActions::remove);
    }
    refreshView();
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void KeywordActions::refreshView()
{
    m_dialog->setKeywords(CountKeywords(m_register.sites()));
}

bool KeywordActions::writable()
{
    if (!m_register.isDamaged())
        return true;
    m_boxes.showMessage(&m_window, caption(), OperationMessage({OperationStatus::Damaged, 0, {}}, m_register.settingPath()));
    return false;
}

void KeywordActions::rename(const QByteArray &keyword)
{
    QString typed = CodePage::toTypedText(keyword);
    QByteArray to;
    QWidget *over = m_dialog ? static_cast<QWidget *>(m_dialog) : &m_window;
    if (!writable()
        || !m_boxes.askText(over, caption(), QString::fromUtf8("キーワード%1（%2 件のサイト）の新しい名前:").arg(quoted(keyword)).arg(sitesCarrying(m_register.sites(), keyword)), {}, typed))
        return;
    if (const FieldRefusal refused = EncodeKeyword(typed, to); !refused.isEmpty()) {
        m_boxes.showMessage(over, caption(), refused.message);
        return;
    }
    if (to.isEmpty()) {
        remove(keyword);
        return;
    }
    if (to == keyword)
        return;
    if (const int there = sitesCarrying(m_register.sites(), to); there > 0
        && m_boxes.askYesNo(over, caption(), QString::fromUtf8("キーワード%1は %2 件のサイトにあります。%3をこれにまとめますか？").arg(quoted(to)).arg(there).arg(quoted(keyword)),
                            MessageBoxes::Answer::Yes) != MessageBoxes::Answer::Yes)
        return;
    report(KeywordOperations(m_register, m_history).rename(keyword, to));
    if (m_dialog)
        m_dialog->chooseKeyword(to);
    // The list narrowed to the old keyword goes on showing the same sites.
    if (m_list.shownKeyword() == keyword)
        m_list.showKeyword(to);
}

void KeywordActions::remove(const QByteArray &keyword)
{
    const int sites = sitesCarrying(m_register.sites(), keyword);
    QWidget *over = m_dialog ? static_cast<QWidget *>(m_dialog) : &m_window;
    if (sites == 0 || !writable()
        || m_boxes.askYesNo(over, caption(), QString::fromUtf8("キーワード%1を %2 件のサイトから外しますか？").arg(quoted(keyword)).arg(sites),
                            MessageBoxes::Answer::No) != MessageBoxes::Answer::Yes)
        return;
    report(KeywordOperations(m_register, m_history).remove(keyword));
    if (m_list.shownKeyword() == keyword)
        m_list.showKeyword(QByteArray());
}

void KeywordActions::setOnChosenSites()
{
    const std::vector<SeenRecord> chosen = m_list.chosenRecords();
    if (chosen.empty() || !m_list.showsChosenRow() || !writable())
        return;
    std::vector<KeywordCount> counts = CountKeywords(m_register.sites());
    SortKeywords(counts, KeywordOrder::Name);
    QStringList offered;
    for (const KeywordCount &count : counts)
        offered << CodePage::toTypedText(count.keyword);
    QString typed;
    QByteArray keyword;
    if (!m_boxes.askText(&m_window, caption(), QString::fromUtf8("選んだ %1 件のサイトに設定するキーワード:").arg(chosen.size()), offered, typed))
        return;
    if (const FieldRefusal refused = EncodeKeyword(typed, keyword); !refused.isEmpty()) {
        m_boxes.showMessage(&m_window, caption(), refused.message);
        return;
    }
    if (!keyword.isEmpty())
        report(KeywordOperations(m_register, m_history).set(chosen, keyword));
}

void KeywordActions::report(const KeywordOutcome &outcome)
{
    // The view shows at once what its own change did.
    if (m_dialog) {
        m_recount.stop();
        refreshView();
    }
    if (!outcome.done.isEmpty())
        m_status.showDone(outcome.done);
    if (!outcome.message.isEmpty())
        m_boxes.showMessage(m_dialog && m_dialog->isVisible() ? static_cast<QWidget *>(m_dialog) : &m_window, caption(),
                            outcome.message);
}
