#include "LinkConnection.h"

#include "AnswerHead.h"
#include "LinkCheckText.h"

#include <QNetworkProxyFactory>
#include <QSslSocket>

namespace {

bool secure(const QUrl &url)
{
    return url.scheme() == QLatin1String("https");
}

// The proxy the desktop or the environment names for `url`. On Linux Qt asks libproxy, which
// reads http_proxy, https_proxy and no_proxy (in either case) and the desktop's own settings.
// Only an HTTP proxy is used, and never gone around: where a proxy is needed, a direct lookup
// may well say "no such name" of every site.
QNetworkProxy proxyFor(const QUrl &url)
{
    const QList<QNetworkProxy> named = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url));
    return named.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : named.first();
}

} // namespace

LinkConnection::LinkConnection(QObject *parent) : QObject(parent)
{
    connect(&m_lookup, &HostLookup::finished, this, &LinkConnection::looked);
}

LinkConnection::~LinkConnection()
{
    close();
}

QByteArray LinkConnection::authority(const QUrl &url, bool withPort)
{
    const QByteArray host = url.host(QUrl::EncodeUnicode).toLatin1();
    QByteArray authority = host.contains(':') ? '[' + host + ']' : host;
    if (withPort || url.port() != -1)
        authority += ':' + QByteArray::number(url.port(secure(url) ? 443 : 80));
    return authority;
}

LinkAnswer::Failure LinkConnection::failureOf(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::HostNotFoundError: return LinkAnswer::Failure::HostNotFound;
    case QAbstractSocket::ConnectionRefusedError: return LinkAnswer::Failure::Refused;
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError: return LinkAnswer::Failure::Tls;
    case QAbstractSocket::SocketTimeoutError: return LinkAnswer::Failure::Timeout;
    default: return LinkAnswer::Failure::Other;
    }
}

void LinkConnection::open(const QUrl &url, qint64 readBuffer, Admit admit, bool known)
{
    close();
    m_url = url;
    m_readBuffer = readBuffer;
    m_admit = std::move(admit);
    m_proxy = proxyFor(url);
    if (m_proxy.type() != QNetworkProxy::HttpProxy && m_proxy.type() != QNetworkProxy::NoProxy) {
        fail(LinkAnswer::Failure::NoNetwork, LinkCheckText::tr("HTTP 以外のプロキシ（%1:%2）には対応していません")
                                                  .arg(m_proxy.hostName()).arg(m_proxy.port()));
        return;
    }
    m_tunnel = m_proxy.type() == QNetworkProxy::HttpProxy && secure(url);
    if (m_proxy.type() == QNetworkProxy::HttpProxy && known) {
        looked({HostLookupResult::Outcome::NoAnswer, {}, {}});
        return;
    }
    // Through a proxy too, where the proxy resolves the name: what it resolves to here still
    // tells a redirect into this computer's own network (a name like "localhost").
    m_lookingUp = true;
    m_lookup.start(url.host(QUrl::EncodeUnicode));
}

void LinkConnection::close()
{
    m_lookup.cancel();
    m_lookingUp = false;
    m_addresses.clear();
    dropSocket();
}

QByteArray LinkConnection::proxyHeaders() const
{
    if (m_proxy.user().isEmpty())
        return {};
    return "Proxy-Authorization: Basic " + (m_proxy.user() + u':' + m_proxy.password()).toUtf8().toBase64() + "\r\n";
}

void LinkConnection::looked(const HostLookupResult &result)
{
    m_lookingUp = false;
    const bool direct = m_proxy.type() == QNetworkProxy::NoProxy;
    if (direct && result.outcome != HostLookupResult::Outcome::Found) {
        fail(result.outcome == HostLookupResult::Outcome::NoSuchName ? LinkAnswer::Failure::HostNotFound
                                                                     : LinkAnswer::Failure::NoNetwork,
             LinkCheckText::tr("名前を解決できません（%1）").arg(result.detail));
        return;
    }
    m_addresses = result.addresses;
    if (!m_admit(m_addresses))
        return;
    if (!direct) {
        m_socket = newSocket();
        m_socket->connectToHost(m_proxy.hostName(), m_proxy.port());
    } else if (m_addresses.isEmpty()) {
        fail(LinkAnswer::Failure::HostNotFound, QString());
    } else {
        connectNext();
    }
}

QSslSocket *LinkConnection::newSocket()
{
    m_connected = false;
    m_tunnelHead.clear();
    auto *socket = new QSslSocket(this);
    // Qt's own proxy client would look the name up again behind our back; this class is the
    // proxy client.
    socket->setProxy(QNetworkProxy::NoProxy);
    socket->setReadBufferSize(m_readBuffer);
    connect(socket, &QSslSocket::errorOccurred, this, &LinkConnection::socketFailed);
    connect(socket, &QSslSocket::connected, this, &LinkConnection::connected);
    connect(socket, &QSslSocket::encrypted, this, &LinkConnection::ready);
    return socket;
}

// Each address in turn, as a browser does: a host with an IPv6 address this network cannot
// reach is still reached over IPv4.
void LinkConnection::connectNext()
{
    dropSocket();
    const QHostAddress address = m_addresses.takeFirst();
    m_socket = newSocket();
    const quint16 port = quint16(m_url.port(secure(m_url) ? 443 : 80));
    // The address is connected to; the name is what the certificate must be for.
    if (secure(m_url))
        m_socket->connectToHostEncrypted(address.toString(), port, m_url.host(QUrl::EncodeUnicode));
    else
        m_socket->connectToHost(address, port);
}

void LinkConnection::connected()
{
    m_connected = true;
    if (m_tunnel) {
        const QByteArray target = authority(m_url, true);
        connect(m_socket, &QSslSocket::readyRead, this, &LinkConnection::readTunnel);
        m_socket->write("CONNECT " + target + " HTTP/1.1\r\nHost: " + target + "\r\n" + proxyHeaders() + "\r\n");
    } else if (!secure(m_url)) {
        ready();
    }
    // A direct https connection is ready once encrypted.
}

void LinkConnection::readTunnel()
{
    m_tunnelHead += m_socket->readAll();
    LinkAnswer answer;
    const AnswerHead::State state = AnswerHead::read(m_tunnelHead, answer);
    if (state == AnswerHead::State::Incomplete)
        return;
    if (state == AnswerHead::State::Broken || answer.code < 200 || answer.code > 299) {
        // The proxy could not or would not reach the site: its answer is none of the site's.
        fail(LinkAnswer::Failure::ProxyRefused,
             LinkCheckText::tr("プロキシが %1 に中継しませんでした").arg(QString::fromLatin1(authority(m_url, true)))
                 + (answer.code ? LinkCheckText::tr("（HTTP %1）").arg(answer.code) : QString()));
        return;
    }
    disconnect(m_socket, &QSslSocket::readyRead, this, &LinkConnection::readTunnel);
    m_socket->setPeerVerifyName(m_url.host(QUrl::EncodeUnicode));
    m_socket->startClientEncryption();
}

void LinkConnection::ready()
{
    // From here on the socket is the caller's to read, and its errors too.
    m_socket->disconnect(this);
    emit opened();
}

void LinkConnection::socketFailed(QAbstractSocket::SocketError error)
{
    const bool direct = m_proxy.type() == QNetworkProxy::NoProxy;
    const QString reason = m_socket->errorString();
    if (!m_connected && direct && !m_addresses.isEmpty()) {
        connectNext();
        return;
    }
    LinkAnswer::Failure failure = failureOf(error);
    QString detail = reason;
    if (!m_connected && !direct) {
        // A proxy out of reach leaves every site out of reach.
        failure = LinkAnswer::Failure::NoNetwork;
        detail = LinkCheckText::tr("プロキシ %1:%2 に接続できません（%3）").arg(m_proxy.hostName()).arg(m_proxy.port()).arg(reason);
    } else if (!m_connected && error == QAbstractSocket::NetworkError) {
        // No route to the network (ENETUNREACH, EHOSTUNREACH): no verdict on the site.
        failure = LinkAnswer::Failure::NoNetwork;
    }
    fail(failure, detail);
}

void LinkConnection::fail(LinkAnswer::Failure failure, const QString &detail)
{
    dropSocket();
    LinkAnswer answer;
    answer.failure = failure;
    answer.detail = detail;
    emit failed(answer);
}

void LinkConnection::dropSocket()
{
    if (!m_socket)
        return;
    QSslSocket *socket = m_socket;
    m_socket = nullptr;
    // Whoever reads it (the caller, once opened) hears nothing more from it.
    socket->disconnect();
    // Closes the connection at once, whatever the server still has to send.
    socket->abort();
    socket->deleteLater();
}
