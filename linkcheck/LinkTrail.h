#pragma once

#include "LinkStatus.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

// What came back for one request, as the check sees it.
struct LinkAnswer
{
    enum class Failure {
        None,         // an HTTP answer: `code` and `location` hold it
        HostNotFound, // a resolver answered that the name does not exist
        NoNetwork,    // nothing could be asked: no resolver answered, no route, the proxy out of reach
        ProxyRefused, // the proxy would not or could not open a tunnel to the site
        Refused,      // the connection was refused
        Tls,          // the TLS handshake or the certificate failed
        Timeout,      // no answer within the time allowed
        Other,        // closed without an answer, a broken answer, …: `detail` says what
    };
    Failure failure = Failure::None;
    int code = 0;
    QByteArray location; // the Location header, raw
    QString detail;
    // What a reader of the body needs: where it begins in the bytes received, how it is framed
    // and what it holds (the headers' values, raw; -1 for no Content-Length).
    qsizetype headSize = 0;
    qint64 contentLength = -1;
    bool chunked = false;
    QByteArray contentType;
    QByteArray contentEncoding;
};

// The walk of one check from the URL as registered to its outcome: which request comes next
// (HEAD, or GET where HEAD is refused; a redirect followed; one retry after a transient
// failure) and what the answers add up to. Pure logic: the requests are made elsewhere.
//
// A redirect into this computer or a local network (by the target's spelling or by the addresses
// its name resolves to) is never followed unless the URL as registered named that very host and
// port and led inside itself: a page from outside may not make the check, or the title fetch,
// ask what only this computer can reach.
class LinkTrail
{
public:
    static constexpr int kMaxRedirects = 10;

    enum class Purpose {
        Check,    // the link's health: HEAD first, redirects to any host on the internet followed
        ReadPage, // the page itself: every request a GET, and redirects only within its own host
    };

    enum class Next {
        Request,    // ask url() with method get() now
        RetryLater, // ask the same again after a pause
        Finished,   // result() holds the outcome
    };

    // A URL as registered. Anything but an absolute http/https URL with a host finishes at once
    // as Invalid, so it is never handed to the network layer (which would open file: URLs).
    explicit LinkTrail(const QString &url, Purpose purpose = Purpose::Check);

    Next start() const { return m_finished ? Next::Finished : Next::Request; }
    Next take(const LinkAnswer &answer);
    // The whole check ran out of time (a chain of slow answers, each within its own limit): it
    // finishes as timed out, wherever it was.
    Next expire();
    // The addresses url()'s host resolves to, before it is asked (none when they are not known,
    // as through a proxy that resolves itself). Drops those that name no machine; false when
    // the trail finished instead: a redirect led inside, or no address is left.
    bool admit(QList<QHostAddress> &addresses);

    const QUrl &url() const { return m_url; }
    // Whether url() is at the registered URL's host and port.
    bool atFirstHost() const;
    bool get() const { return m_get; }
    const LinkResult &result() const { return m_result; }

    // The host whose politeness limit the check of `url` counts against ("" when it is no URL).
    static QString hostKey(const QString &url) { return QUrl(url.trimmed(), QUrl::TolerantMode).host().toLower(); }

private:
    Next finish(LinkStatus status, int code, const QString &detail = QString());
    Next follow(int code, const QByteArray &location);
    // Whether a redirect to m_url, leading inside, goes where the registered URL already led.
    bool namedByFirst() const { return m_firstInside && atFirstHost(); }
    bool stopInside(const QString &where);

    QUrl m_url;
    QUrl m_first; // the URL as registered
    bool m_firstInside = false; // it led into this computer or a local network
    Purpose m_purpose;
    bool m_get = false;
    int m_redirectCode = 0; // of the redirect that led to m_url
    bool m_retried = false;
    bool m_finished = false;
    bool m_leadingPermanent = true; // every redirect so far was permanent
    int m_redirects = 0;
    QUrl m_movedTo;
    QSet<QString> m_seen;
    LinkResult m_result;
};
