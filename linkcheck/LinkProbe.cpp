#include "LinkProbe.h"

#include "AnswerHead.h"
#include "BodyReader.h"
#include "LinkCheckText.h"

#include <QSslSocket>

#include <algorithm>
#include <limits>

namespace {

const QByteArray kUserAgent = QByteArrayLiteral("sitekanri/" SITEKANRI_VERSION " (link check)");

// What one read may take from the system; the head itself is capped by AnswerHead, a body by
// the caller's limit.
constexpr qint64 kReadBuffer = 16 * 1024;
constexpr qint64 kBodyReadBuffer = 64 * 1024;

// The request line and headers for `url`. The URL is fully encoded, so nothing in it can end
// a line of the request. To a proxy the target is the whole URL, with the proxy's own headers.
QByteArray requestFor(const QUrl &url, bool get, const LinkConnection &connection)
{
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    const QByteArray authority = LinkConnection::authority(url, false);
    if (connection.sendsToProxy())
        target = url.scheme().toLatin1() + "://" + authority + target;
    // The body is never read; asking for it plain keeps a compressed one from being unpacked.
    return (get ? "GET " : "HEAD ") + target + " HTTP/1.1\r\nHost: " + authority + "\r\nUser-Agent: " + kUserAgent
        + "\r\nAccept: */*\r\nAccept-Encoding: identity\r\nConnection: close\r\n" + connection.proxyHeaders() + "\r\n";
}

} // namespace

LinkProbe::LinkProbe(const QString &url, const LinkCheckSettings &settings, QObject *parent, qint64 bodyLimit)
    : QObject(parent)
    , m_settings(settings)
    , m_trail(url, bodyLimit > 0 ? LinkTrail::Purpose::ReadPage : LinkTrail::Purpose::Check)
    , m_bodyLimit(bodyLimit)
{
    connect(&m_connection, &LinkConnection::opened, this, &LinkProbe::writeRequest);
    connect(&m_connection, &LinkConnection::failed, this, &LinkProbe::answered);
    m_deadline.setSingleShot(true);
    m_pause.setSingleShot(true);
    m_total.setSingleShot(true);
    connect(&m_total, &QTimer::timeout, this, [this] {
        m_pause.stop();
        dropSocket();
        step(m_trail.expire());
    });
    connect(&m_deadline, &QTimer::timeout, this, &LinkProbe::timedOut);
    connect(&m_pause, &QTimer::timeout, this, &LinkProbe::send);
}

LinkProbe::~LinkProbe()
{
    dropSocket();
}

void LinkProbe::start()
{
    m_total.start(int(std::min<qint64>(qint64(kTotalTimeouts) * m_settings.timeoutMs, std::numeric_limits<int>::max())));
    step(m_trail.start());
}

void LinkProbe::abort()
{
    m_total.stop();
    m_reader.reset();
    m_pause.stop();
    dropSocket();
}

void LinkProbe::send()
{
    m_head.clear();
    // A hard deadline rather than a transfer timeout, which a server trickling bytes resets forever.
    m_deadline.start(m_settings.timeoutMs);
    m_connection.open(m_trail.url(), m_bodyLimit > 0 ? kBodyReadBuffer : kReadBuffer, [this](QList<QHostAddress> &addresses) {
        if (m_trail.admit(addresses))
            return true;
        dropSocket();
        step(LinkTrail::Next::Finished);
        return false;
    }, m_trail.atFirstHost());
}

void LinkProbe::writeRequest()
{
    QSslSocket *socket = m_connection.socket();
    connect(socket, &QSslSocket::readyRead, this, &LinkProbe::readHead);
    connect(socket, &QSslSocket::errorOccurred, this, &LinkProbe::failed);
    socket->write(requestFor(m_trail.url(), m_trail.get(), m_connection));
}

void LinkProbe::step(LinkTrail::Next next)
{
    switch (next) {
    case LinkTrail::Next::Request: send(); break;
    case LinkTrail::Next::RetryLater: m_pause.start(m_settings.retryDelayMs); break;
    case LinkTrail::Next::Finished:
        m_total.stop();
        emit finished(m_trail.result());
        break;
    }
}

void LinkProbe::readHead()
{
    if (m_reader) {
        const QByteArray piece = m_connection.socket()->readAll();
        if (m_reader->feed(piece.constData(), piece.size()))
            endBody();
        return;
    }
    // The socket holds at most kReadBuffer, so a head is read in pieces and the check never
    // waits on more than one piece.
    m_head += m_connection.socket()->readAll();
    LinkAnswer answer;
    const AnswerHead::State state = AnswerHead::read(m_head, answer);
    if (state == AnswerHead::State::Complete && startBody(answer))
        return;
    if (state != AnswerHead::State::Incomplete)
        answered(answer);
}

bool LinkProbe::startBody(const LinkAnswer &head)
{
    // Only the page itself is read: a redirect or an error page says nothing about it, and a
    // compressed body, sent though we asked for none, is not unpacked.
    if (m_bodyLimit <= 0 || head.code < 200 || head.code >= 300
        || !(head.contentEncoding.isEmpty() || head.contentEncoding == "identity"))
        return false;
    m_bodyHead = head;
    m_contentType = head.contentType;
    m_reader = std::make_unique<BodyReader>(head, m_bodyLimit);
    const QByteArray first = m_head.mid(head.headSize);
    m_head.clear();
    if (m_reader->feed(first.constData(), first.size()))
        endBody();
    return true;
}

void LinkProbe::endBody()
{
    m_body = m_reader->body();
    m_bodyCut = m_reader->isCut();
    m_reader.reset();
    answered(m_bodyHead);
}

void LinkProbe::failed(QAbstractSocket::SocketError error)
{
    if (m_reader && error == QAbstractSocket::RemoteHostClosedError) {
        // The end of the connection ends a body sent without a length; one cut short is kept.
        const QByteArray piece = m_connection.socket()->readAll();
        m_reader->feed(piece.constData(), piece.size());
        endBody();
        return;
    }
    LinkAnswer answer;
    if (error == QAbstractSocket::RemoteHostClosedError) {
        // An answer may be followed at once by the end of the connection.
        m_head += m_connection.socket()->readAll();
        const AnswerHead::State state = AnswerHead::read(m_head, answer);
        if (state == AnswerHead::State::Complete && startBody(answer)) {
            if (m_reader)
                endBody();
            return;
        }
        if (state == AnswerHead::State::Incomplete) {
            answer.failure = LinkAnswer::Failure::Other;
            answer.detail = LinkCheckText::tr("応答の途中で接続が切れました");
        }
    } else {
        answer.failure = LinkConnection::failureOf(error);
        answer.detail = m_connection.socket()->errorString();
    }
    answered(answer);
}

void LinkProbe::timedOut()
{
    // A page still coming when the time is up is read as far as it came.
    if (m_reader) {
        endBody();
        return;
    }
    LinkAnswer answer;
    answer.failure = LinkAnswer::Failure::Timeout;
    // A resolver that has not answered in all that time is no answer of the site's.
    if (m_connection.isLookingUp()) {
        answer.failure = LinkAnswer::Failure::NoNetwork;
        answer.detail = LinkCheckText::tr("名前解決の応答がありません");
    }
    answered(answer);
}

void LinkProbe::answered(const LinkAnswer &answer)
{
    dropSocket();
    step(m_trail.take(answer));
}

void LinkProbe::dropSocket()
{
    m_deadline.stop();
    m_connection.close();
}
