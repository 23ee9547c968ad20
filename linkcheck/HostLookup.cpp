#include "HostLookup.h"

#include "AddressKind.h"

#include <QMetaObject>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <netdb.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>

// Shared by the lookup's thread and the object waiting for it, which may go first.
struct HostLookup::Pending
{
    std::mutex mutex;
    HostLookup *receiver = nullptr; // none once the answer is no longer wanted
};

namespace {

HostLookupResult resolve(const QByteArray &host)
{
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // As a browser asks: addresses of a family this computer has no address of are left out.
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo *found = nullptr;
    const int error = ::getaddrinfo(host.constData(), nullptr, &hints, &found);
    HostLookupResult result;
    result.outcome = HostLookup::outcomeOf(error);
    if (error != 0) {
        result.detail = QString::fromLocal8Bit(error == EAI_SYSTEM ? std::strerror(errno) : ::gai_strerror(error));
        return result;
    }
    for (const addrinfo *at = found; at; at = at->ai_next) {
        const QHostAddress address(at->ai_addr);
        if (!address.isNull() && !result.addresses.contains(address))
            result.addresses.append(address);
    }
    ::freeaddrinfo(found);
    if (result.addresses.isEmpty())
        result.outcome = HostLookupResult::Outcome::NoSuchName;
    return result;
}

} // namespace

HostLookup::HostLookup(QObject *parent) : QObject(parent)
{
}

HostLookup::~HostLookup()
{
    cancel();
}

HostLookupResult::Outcome HostLookup::outcomeOf(int error)
{
    switch (error) {
    case 0: return HostLookupResult::Outcome::Found;
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
        return HostLookupResult::Outcome::NoSuchName;
    default: return HostLookupResult::Outcome::NoAnswer;
    }
}

void HostLookup::start(const QString &host)
{
    cancel();
    auto pending = std::make_shared<Pending>();
    pending->receiver = this;
    m_pending = pending;
    const QByteArray name = host.toLatin1();
    // getaddrinfo cannot be interrupted: a thread of its own waits out a resolver that does not
    // answer (up to its own timeouts), and a cancelled lookup just ends unheard. A detached
    // thread, so that no exit waits for one.
    const auto answer = [pending](const HostLookupResult &result) {
        const std::lock_guard<std::mutex> lock(pending->mutex);
        // Posted while the receiver is known to live (an event posted to an object goes with it),
        // and told only if it still waits for this lookup and no later one.
        if (HostLookup *receiver = pending->receiver) {
            QMetaObject::invokeMethod(receiver, [receiver, pending, result] {
                if (receiver->m_pending != pending)
                    return;
                receiver->m_pending.reset();
                emit receiver->finished(result);
            }, Qt::QueuedConnection);
        }
    };
    // An address written as such, or a name of this computer, needs no thread.
    HostLookupResult found;
    found.outcome = HostLookupResult::Outcome::Found;
    if (const QHostAddress address(host); !address.isNull())
        found.addresses.append(address);
    else if (AddressKind::isLoopbackName(host))
        found.addresses = {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)};
    if (!found.addresses.isEmpty() || testResolver) {
        answer(found.addresses.isEmpty() ? testResolver(host) : found);
        return;
    }
    try {
        std::thread([answer, name] { answer(resolve(name)); }).detach();
    } catch (const std::system_error &error) {
        HostLookupResult failed;
        failed.detail = QString::fromLocal8Bit(error.what());
        answer(failed);
    }
}

void HostLookup::cancel()
{
    if (!m_pending)
        return;
    {
        const std::lock_guard<std::mutex> lock(m_pending->mutex);
        m_pending->receiver = nullptr;
    }
    m_pending.reset();
}
