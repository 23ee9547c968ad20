#include "TitleFetchControl.h"

#include "OutsideText.h"
#include "SiteEntry.h"

#include <QAction>
#include <QLineEdit>
#include <QStyle>

namespace {

// Fills `field` with `text` when it is empty; false when it held something already.
bool fillEmpty(QLineEdit &field, const QString &text)
{
    if (text.isEmpty())
        return true;
    if (!field.text().trimmed().isEmpty())
        return false;
    field.setText(OutsideFieldText(text));
    return true;
}

} // namespace

TitleFetchControl::TitleFetchControl(QLineEdit &url, QLineEdit &name, QLineEdit &content, QWidget &window)
    : QObject(&window)
    , m_url(url)
    , m_name(name)
    , m_content(content)
    , m_action(new QAction(&window))
{
    m_action->setObjectName(QStringLiteral("fetchTitleAction"));
    m_action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    window.addAction(m_action);
    url.addAction(m_action, QLineEdit::TrailingPosition);
    showRunning(false);
    connect(m_action, &QAction::triggered, this, &TitleFetchControl::toggle);
    // A title read for another URL is no title of this one.
    connect(&url, &QLineEdit::textChanged, this, &TitleFetchControl::cancel);
}

void TitleFetchControl::toggle()
{
    if (isRunning()) {
        cancel();
        return;
    }
    SiteFields fields;
    fields.url = m_url.text().trimmed();
    if (fields.url.isEmpty()) {
        emit failed(QStringLiteral("タイトルを取得するページの URL を入力してください。"));
        return;
    }
    CompleteSiteUrl(fields);
    m_fetch = new PageFetch(fields.url, this);
    connect(m_fetch, &PageFetch::finished, this, &TitleFetchControl::fetched);
    showRunning(true);
    m_fetch->start();
}

void TitleFetchControl::cancel()
{
    if (!m_fetch)
        return;
    m_fetch->cancel();
    m_fetch->deleteLater();
    m_fetch = nullptr;
    showRunning(false);
}

void TitleFetchControl::fetched(const PageDetails &details)
{
    m_fetch->deleteLater();
    m_fetch = nullptr;
    showRunning(false);
    if (!details.ok) {
        emit failed(QStringLiteral("ページを読めませんでした。\n") + details.message);
        return;
    }
    if (details.title.isEmpty() && details.description.isEmpty()) {
        emit reported(QStringLiteral("ページにはタイトルも説明もありませんでした。"));
        return;
    }
    // A page may hold a title of a megabyte, or controls that turn its text around.
    const QString title = OutsideText::name(details.title);
    const QString description = OutsideText::content(details.description);
    QStringList kept;
    if (!fillEmpty(m_name, title))
        kept << QStringLiteral("タイトル：") + OutsideText::inMessage(title);
    if (!fillEmpty(m_content, description))
        kept << QStringLiteral("説明：") + OutsideText::inMessage(description);
    if (!kept.isEmpty())
        emit reported(QStringLiteral("入力済みの欄はそのままにしました。ページには次のようにあります。\n") + kept.join(u'\n'));
}

void TitleFetchControl::showRunning(bool running)
{
    const QWidget *window = qobject_cast<QWidget *>(parent());
    m_action->setText(running ? QStringLiteral("取得を中止") : QStringLiteral("タイトル取得"));
    m_action->setToolTip(running ? QStringLiteral("タイトルの取得を中止します（Ctrl+T）")
                                 : QStringLiteral("URL のページからタイトルと説明を取得し、空の欄に入れます（Ctrl+T）"));
    m_action->setIcon(window->style()->standardIcon(running ? QStyle::SP_BrowserStop : QStyle::SP_BrowserReload));
}
