#include "BrowserLauncher.h"

#include "BrowserText.h"
#include "CodePage.h"
#include "HomePage.h"
#include "UrlCompletion.h"

#include <QDesktopServices>

#include <utility>

namespace {

QString NoUrlMessage() { return BrowserText::tr("URLが登録されていません。"); }

QString RefusedMessage(const QString &urlText)
{
    return BrowserText::tr("ブラウザを起動できませんでした。\n%1").arg(urlText);
}

// A URL of another scheme would be handed to whatever program the desktop has for it (a file
// manager for file:, a network share for smb:, a terminal for x-terminal-emulator:): a register
// filled from a bookmark file must not start programs.
bool forTheBrowser(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp");
}

QString OtherSchemeMessage(const QString &scheme, const QString &urlText)
{
    return BrowserText::tr("「%1:」のアドレスはブラウザに渡しません。開けるのは http、https、ftp のアドレスだけです。\n%2")
        .arg(scheme, urlText);
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
    // The help page that ships with the program is the one local file handed over.
    if (target.isValid() && !forTheBrowser(target) && !(target.isLocalFile() && target == HomePageUrl()))
        return {false, OtherSchemeMessage(target.scheme(), text)};
    if (!target.isValid() || !m_opener(target))
        return {false, RefusedMessage(text)};
    return {true, QString()};
}
