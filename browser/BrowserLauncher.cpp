#include "BrowserLauncher.h"

#include "CodePage.h"

#include <QDesktopServices>
#include <QRegularExpression>

#include <utility>

namespace {

QString NoUrlMessage() { return QStringLiteral("URLが登録されていません。"); }

QString RefusedMessage(const QString &urlText)
{
    return QStringLiteral("ブラウザを起動できませんでした。\n") + urlText;
}

// "scheme://…" written out. Two letters at least, so that a Windows drive ("C://") is not taken
// for a scheme.
bool HasExplicitScheme(const QString &text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]+://"));
    return scheme.match(text).hasMatch();
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

QUrl BrowserLauncher::completeUrl(const QString &text)
{
    const QString trimmed = text.trimmed();
    // QUrl::fromUserInput rescues an invalid "http://exa mple.jp" by putting another "http://" in
    // front, which opens host "http" instead: an address the user wrote out in full is taken as
    // written or not at all.
    if (HasExplicitScheme(trimmed))
        return QUrl(trimmed, QUrl::TolerantMode);
    return QUrl::fromUserInput(trimmed);
}

BrowserResult BrowserLauncher::open(const QByteArray &url) const
{
    const QString text = CodePage::toText(url);
    if (text.trimmed().isEmpty())
        return {false, NoUrlMessage()};
    const QUrl target = completeUrl(text);
    // Checked here, not left to the opener: QDesktopServices hands even an invalid URL to a
    // handler registered for its scheme.
    if (!target.isValid() || !m_opener(target))
        return {false, RefusedMessage(text)};
    return {true, QString()};
}
