#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

// What became of one request to show an address in the web browser. `message` is empty when the
// address was handed over; otherwise it is the text to show the user.
struct BrowserResult
{
    bool opened = false;
    QString message;
};

// Hands a register URL to the desktop's web browser: http, https and ftp only. Each request is one hand-over; the launcher
// keeps nothing of earlier ones. Nothing is ever passed through a shell.
class BrowserLauncher
{
public:
    // Returns whether the URL was accepted by whoever opens it.
    using UrlOpener = std::function<bool(const QUrl &)>;

    // Opens with the desktop's URL opener (QDesktopServices::openUrl).
    BrowserLauncher();
    // Opens with `opener` instead, for callers that must not reach a real browser.
    explicit BrowserLauncher(UrlOpener opener);

    // `url` holds the register's CP932 bytes, as a site record stores them.
    BrowserResult open(const QByteArray &url) const;

private:
    UrlOpener m_opener;
};
