#include "LinkProbe.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

const QByteArray kUserAgent = QByteArrayLiteral("sitekanri/" SITEKANRI_VERSION " (link check)");

// Holds what an answer may make us buffer when a server sends a body we do not read.
constexpr qint64 kReadBuffer = 16 * 1024;

QNetworkRequest requestFor(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setRawHeader("User-Agent", kUserAgent);
    request.setRawHeader("Accept", "*/*");
    // The body is never read; asking for it plain keeps a compressed one from being unpacked.
    request.setRawHeader("Accept-Encoding", "identity");
    return request;
}

LinkAnswer::Failure failureOf(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::HostNotFoundError: return LinkAnswer::Failure::HostNotFound;
    case QNetworkReply::ConnectionRefusedError: return LinkAnswer::Failure::Refused;
    case QNetworkReply::SslHandshakeFailedError: return LinkAnswer::Failure::Tls;
    case QNetworkReply::TimeoutError: return LinkAnswer::Failure::Timeout;
    default: return LinkAnswer::Failure::Other;
    }
}

} // namespace

LinkProbe::LinkProbe(QNetworkAccessManager &network, const QString &url, const LinkCheckSettings &settings,
                     QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_settings(settings)
    , m_trail(url)
{
    m_deadline.setSingleShot(true);
    m_pause.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &LinkProbe::timedOut);
    connect(&m_pause, &QTimer::timeout, this, &LinkProbe::send);
}

LinkProbe::~LinkProbe()
{
    dropReply();
}

void LinkProbe::start()
{
    step(m_trail.start());
}

void LinkProbe::abort()
{
    m_pause.stop();
    dropReply();
}

void LinkProbe::send()
{
    const QNetworkRequest request = requestFor(m_trail.url());
    m_reply = m_trail.get() ? m_network.get(request) : m_network.head(request);
    m_reply->setReadBufferSize(kReadBuffer);
    // The status and headers are all a check needs. An answer to HEAD has nothing after them and
    // ends by itself; one to GET is dropped as soon as they are in, so no body is ever read.
    if (m_trail.get())
        connect(m_reply, &QNetworkReply::metaDataChanged, this, &LinkProbe::answered);
    connect(m_reply, &QNetworkReply::finished, this, &LinkProbe::failed);
    // A hard deadline rather than a transfer timeout, which a server trickling bytes resets forever.
    m_deadline.start(m_settings.timeoutMs);
}

void LinkProbe::step(LinkTrail::Next next)
{
    switch (next) {
    case LinkTrail::Next::Request: send(); break;
    case LinkTrail::Next::RetryLater: m_pause.start(m_settings.retryDelayMs); break;
    case LinkTrail::Next::Finished: emit finished(m_trail.result()); break;
    }
}

void LinkProbe::answered()
{
    const QVariant code = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!code.isValid())
        return;
    LinkAnswer answer;
    answer.code = code.toInt();
    answer.location = m_reply->rawHeader("Location");
    dropReply();
    step(m_trail.take(answer));
}

void LinkProbe::failed()
{
    if (m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
        answered();
        return;
    }
    LinkAnswer answer;
    answer.failure = failureOf(m_reply->error());
    answer.detail = m_reply->errorString();
    dropReply();
    step(m_trail.take(answer));
}

void LinkProbe::timedOut()
{
    dropReply();
    LinkAnswer answer;
    answer.failure = LinkAnswer::Failure::Timeout;
    step(m_trail.take(answer));
}

void LinkProbe::dropReply()
{
    m_deadline.stop();
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    // Only an abort closes the connection of an unfinished request.
    if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
}
