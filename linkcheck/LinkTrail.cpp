#include "LinkTrail.h"

#include "AddressKind.h"
#include "LinkCheckText.h"

#include <algorithm>

namespace {

bool checkable(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !url.host().isEmpty();
}

// Names under .invalid never resolve (RFC 6761); answering at once spares a DNS query that may
// only time out on a machine without a resolver.
bool reservedInvalid(const QUrl &url)
{
    const QString host = url.host().toLower();
    return host == QLatin1String("invalid") || host.endsWith(QLatin1String(".invalid"));
}

bool isRedirect(int code)
{
    return code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
}

// Answers by which servers refuse HEAD while GET would work. 404 and 410 are trusted as they
// are: asking again for every dead link would double the requests to hosts that told us already.
bool refusesHead(int code)
{
    return code == 400 || code == 403 || code == 405 || code == 406 || code == 501;
}

bool isInside(const QString &host)
{
    return AddressKind::ofHost(host) == AddressKind::Kind::Internal;
}

int effectivePort(const QUrl &url)
{
    return url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
}

QString text(const QUrl &url)
{
    return url.toString(QUrl::FullyEncoded);
}

} // namespace

LinkTrail::LinkTrail(const QString &url, Purpose purpose)
    : m_url(url.trimmed(), QUrl::TolerantMode)
    , m_purpose(purpose)
    , m_get(purpose == Purpose::ReadPage)
{
    m_url.setFragment(QString()); // never sent; two URLs that differ only there are one page
    m_first = m_url;
    m_firstInside = isInside(m_url.host());
    if (!checkable(m_url)) {
        m_url = QUrl(url, QUrl::TolerantMode);
        finish(LinkStatus::Invalid, 0);
        m_result.finalUrl = url;
    } else if (reservedInvalid(m_url)) {
        finish(LinkStatus::NoHost, 0, m_url.host(QUrl::EncodeUnicode));
    }
    m_seen.insert(text(m_url));
}

LinkTrail::Next LinkTrail::take(const LinkAnswer &answer)
{
    if (m_finished)
        return Next::Finished;
    using Failure = LinkAnswer::Failure;
    const bool transient = answer.failure == Failure::Timeout
        || (answer.failure == Failure::None && (answer.code == 429 || answer.code == 503));
    if (transient && !m_retried) {
        m_retried = true;
        return Next::RetryLater;
    }
    switch (answer.failure) {
    case Failure::None: break;
    case Failure::HostNotFound: return finish(LinkStatus::NoHost, 0, m_url.host(QUrl::EncodeUnicode));
    case Failure::NoNetwork: return finish(LinkStatus::Offline, 0, answer.detail);
    // The proxy's word on a site it could not reach, as for its error pages to a plain request.
    case Failure::ProxyRefused: return finish(LinkStatus::ServerError, 0, answer.detail);
    case Failure::Refused: return finish(LinkStatus::Refused, 0, answer.detail);
    case Failure::Tls: return finish(LinkStatus::TlsError, 0, answer.detail);
    case Failure::Timeout: return finish(LinkStatus::Timeout, 0);
    case Failure::Other:
        // Some servers drop the connection on HEAD; GET decides.
        if (!m_get) {
            m_get = true;
            return Next::Request;
        }
        return finish(LinkStatus::ServerError, 0, answer.detail);
    }
    if (!m_get && refusesHead(answer.code)) {
        m_get = true;
        return Next::Request;
    }
    if (isRedirect(answer.code) && !answer.location.isEmpty())
        return follow(answer.code, answer.location);
    if (answer.code >= 200 && answer.code < 400)
        return finish(m_movedTo.isEmpty() ? LinkStatus::Ok : LinkStatus::Moved, answer.code, text(m_movedTo));
    if (answer.code >= 400 && answer.code < 500)
        return finish(ClientErrorStatus(answer.code), answer.code);
    return finish(LinkStatus::ServerError, answer.code);
}

LinkTrail::Next LinkTrail::follow(int code, const QByteArray &location)
{
    const QUrl target = m_url.resolved(QUrl::fromEncoded(location.trimmed(), QUrl::TolerantMode)).adjusted(QUrl::RemoveFragment);
    if (!checkable(target)) {
        // Whatever the server sent, only ASCII goes on: the text reaches terminals and files.
        const QString shown = target.isValid()
            ? text(target) : QString::fromLatin1(location.left(2000).toPercentEncoding(":/?#[]@!$&'()*+,;="));
        finish(LinkStatus::Invalid, code, LinkCheckText::tr("転送先 ") + shown.left(200));
        m_result.finalUrl = shown;
        return Next::Finished;
    }
    // A move to a URL with a user name or password, or to no address at all, is a server telling
    // the check (and the user, were it stored) to log in somewhere or to reach this very computer:
    // reported, never followed or offered as the site's new URL. The page's own site is all a
    // title fetch reads.
    const bool credentials = !target.userInfo().isEmpty();
    const bool nowhere = AddressKind::ofHost(target.host()) == AddressKind::Kind::Unspecified;
    const bool elsewhere = m_purpose == Purpose::ReadPage && target.host().toLower() != m_first.host().toLower();
    if (credentials || nowhere || elsewhere) {
        const QString shown = text(target.adjusted(QUrl::RemoveUserInfo));
        finish(LinkStatus::Invalid, code,
               LinkCheckText::tr("転送先 ") + shown.left(200)
                   + (credentials ? LinkCheckText::tr(" はユーザー名かパスワードを含むため、たどりません")
                      : nowhere   ? LinkCheckText::tr(" はどのサーバーも指さないアドレスのため、たどりません")
                                  : LinkCheckText::tr(" は別のサイトのため、たどりません")));
        m_result.finalUrl = shown;
        return Next::Finished;
    }
    if (m_seen.contains(text(target)))
        return finish(LinkStatus::ServerError, code, LinkCheckText::tr("転送が循環しています"));
    if (++m_redirects > kMaxRedirects)
        return finish(LinkStatus::ServerError, code, LinkCheckText::tr("転送が%1回を超えました").arg(kMaxRedirects));
    // Only the moves the registered URL itself makes for good are worth storing: after a
    // temporary hop, the rest of the chain belongs to wherever the site sends people today.
    m_leadingPermanent = m_leadingPermanent && (code == 301 || code == 308);
    if (m_leadingPermanent)
        m_movedTo = target;
    m_seen.insert(text(target));
    m_url = target;
    m_redirectCode = code;
    m_get = m_purpose == Purpose::ReadPage;
    if (isInside(m_url.host()) && stopInside(m_url.host()))
        return Next::Finished;
    if (reservedInvalid(m_url))
        return finish(LinkStatus::NoHost, 0, m_url.host(QUrl::EncodeUnicode));
    return Next::Request;
}

bool LinkTrail::admit(QList<QHostAddress> &addresses)
{
    if (m_finished)
        return false;
    const bool any = !addresses.isEmpty();
    addresses.removeIf([](const QHostAddress &a) { return AddressKind::ofAddress(a) == AddressKind::Kind::Unspecified; });
    if (any && addresses.isEmpty()) {
        // A name a filter points at 0.0.0.0: a connection there would reach this computer.
        finish(LinkStatus::Invalid, 0, m_url.host(QUrl::EncodeUnicode) + LinkCheckText::tr(" はどのサーバーも指さないアドレスです"));
        return false;
    }
    const auto inside = std::find_if(addresses.cbegin(), addresses.cend(), [](const QHostAddress &a) {
        return AddressKind::ofAddress(a) == AddressKind::Kind::Internal;
    });
    if (inside == addresses.cend())
        return true;
    if (m_redirects == 0) {
        m_firstInside = true;
        return true;
    }
    return !stopInside(inside->toString());
}

bool LinkTrail::atFirstHost() const
{
    return m_url.host().toLower() == m_first.host().toLower() && effectivePort(m_url) == effectivePort(m_first);
}

bool LinkTrail::stopInside(const QString &where)
{
    if (namedByFirst())
        return false;
    const QString shown = text(m_url);
    finish(LinkStatus::Internal, m_redirectCode, shown.left(200) + (where == m_url.host() ? QString() : LinkCheckText::tr("（") + where + LinkCheckText::tr("）")));
    return true;
}

LinkTrail::Next LinkTrail::expire()
{
    if (m_finished)
        return Next::Finished;
    return finish(LinkStatus::Timeout, 0);
}

LinkTrail::Next LinkTrail::finish(LinkStatus status, int code, const QString &detail)
{
    m_finished = true;
    m_result.status = status;
    m_result.code = code;
    m_result.finalUrl = text(m_url);
    m_result.movedTo = status == LinkStatus::Moved ? detail : QString();
    m_result.message = LinkMessage(status, code, detail);
    return Next::Finished;
}
