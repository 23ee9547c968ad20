#pragma once

#include "HostLookup.h"
#include "LinkTrail.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QNetworkProxy>
#include <QObject>
#include <QUrl>

#include <functional>

class QSslSocket;

// Opens the connection one request of a check goes over: the host looked up (a resolver's "no
// such name" told from no answer at all), its addresses tried in turn, TLS for https; or,
// where the desktop or the environment names an HTTP proxy for the URL, a connection to that
// proxy, tunnelled by CONNECT for https. The caller writes the request once `opened` comes and
// reads the answer; the time it all may take is the caller's.
class LinkConnection : public QObject
{
    Q_OBJECT
public:
    // Sees the addresses the host resolves to before any is connected to (none when unknown: a
    // proxy resolves for itself, and a name this computer cannot resolve may still be one the
    // proxy can); may drop some. False stops the connection without a word.
    using Admit = std::function<bool(QList<QHostAddress> &addresses)>;

    explicit LinkConnection(QObject *parent = nullptr);
    ~LinkConnection() override;

    // Through a proxy the host is looked up here only to tell where a redirect leads; a host
    // already `known` (the registered URL's own) is not.
    void open(const QUrl &url, qint64 readBuffer, Admit admit, bool known);
    // Closes at once, whatever is under way; no signal follows.
    void close();

    // Whether the host is still being looked up: a resolver that has not answered.
    bool isLookingUp() const { return m_lookingUp; }
    // Once opened: the socket to write the request to and read the answer from.
    QSslSocket *socket() const { return m_socket; }
    // The request goes to an HTTP proxy as it is (not tunnelled): its target in absolute form,
    // and these header lines with it ("" or "Proxy-Authorization: …\r\n").
    bool sendsToProxy() const { return m_proxy.type() == QNetworkProxy::HttpProxy && !m_tunnel; }
    QByteArray proxyHeaders() const;

    // What a socket's error means for the link.
    static LinkAnswer::Failure failureOf(QAbstractSocket::SocketError error);
    // "host:port" of `url` as a request names it, the default port only `withPort`.
    static QByteArray authority(const QUrl &url, bool withPort);

signals:
    void opened();
    void failed(const LinkAnswer &answer);

private:
    void looked(const HostLookupResult &result);
    void connectNext();
    void connected();
    void readTunnel();
    void ready();
    void socketFailed(QAbstractSocket::SocketError error);
    void fail(LinkAnswer::Failure failure, const QString &detail);
    void dropSocket();
    QSslSocket *newSocket();

    QUrl m_url;
    qint64 m_readBuffer = 0;
    Admit m_admit;
    QNetworkProxy m_proxy; // NoProxy for a direct connection
    bool m_tunnel = false; // https through the proxy
    HostLookup m_lookup;
    QList<QHostAddress> m_addresses; // still to try, for a direct connection
    QSslSocket *m_socket = nullptr;
    QByteArray m_tunnelHead; // the proxy's answer to CONNECT, read so far
    bool m_connected = false; // to the server or the proxy, before any TLS
    bool m_lookingUp = false;
};
