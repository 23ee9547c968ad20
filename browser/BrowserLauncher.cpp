#include "BrowserLauncher.h"

#include "CodePage.h"
#include "UrlCompletion.h"

#include <QDesktopServices>

#include <utility>

namespace {

QString NoUrlMessage() { return QStringLiteral("URLが登録されていません。"); }

QString RefusedMessage(const QString &urlText)
{
    return QStringLiteral("ブラウザを起動できませんでした。\n") + urlText;
}

} // namespace

BrowserLauncher::BrowserLauncher()
    : m_opener([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
}

BrowserLauncher::BrowserLauncher(UrlOpener opener)
    : m_opener(std::move(opener))
{
}

BrowserResult BrowserLauncher::open(const QByteArray &url) const
{
    const QString text = CodePage::toText(url);
    if (text.trimmed().isEmpty())
        return {false, NoUrlMessage()};
    const QUrl target = CompleteUrl(text);
    // Checked here, not left to the opener: QDesktopServices hands even an invalid URL to a
    // handler registered for its scheme.
    if (!target.isValid() || !m_opener(target))
        return {false, RefusedMessage(text)};
    return {true, QString()};
}
