#pragma once

#include "LinkCheckSettings.h"

#include <QObject>
#include <QString>

class LinkProbe;
struct LinkResult;

// What a page says of itself, for the registration fields: its title and description as text
// (markup in them is text, never the user's HTML), or why there is none.
struct PageDetails
{
    bool ok = false;     // the page was read; title and description may still be empty
    QString title;       // <title>, else og:title
    QString description; // <meta name="description">, else og:description
    QString message;     // for people, in Japanese: why the page could not be read
    qint64 bytesRead = 0; // of the page's body
    bool cut = false;     // the body was read up to the limit only
};

// Reads the title and description of the page at one URL in the background: the link check's
// own requests (the same deadline, redirects and politeness toward the one site asked), every
// request a GET, and no more than kMaxBodyBytes of the page read. Nothing but that site is asked.
class PageFetch : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kMaxBodyBytes = 1 << 20;

    explicit PageFetch(const QString &url, QObject *parent = nullptr, const LinkCheckSettings &settings = {});
    ~PageFetch() override;

    // Starts the fetch; `finished` follows, possibly before start() returns.
    void start();
    // Stops at once; `finished` does not follow.
    void cancel();

    // Reads a page's details from its body and Content-Type header. Pure.
    static PageDetails read(const QByteArray &body, const QByteArray &contentType);

signals:
    void finished(const PageDetails &details);

private:
    void probed(const LinkResult &result);

    LinkProbe *m_probe;
};
