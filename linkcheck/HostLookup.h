#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

// What the system's resolver said of a name.
struct HostLookupResult
{
    enum class Outcome {
        Found,      // `addresses` holds what the name resolves to
        NoSuchName, // the resolver answered that the name does not exist
        NoAnswer,   // no answer: the resolver could not be reached, failed, or the system could not ask
    };
    Outcome outcome = Outcome::NoAnswer;
    QList<QHostAddress> addresses;
    QString detail; // the resolver's reason, for people
};

// Looks a host name up in the background, through the system's resolver (getaddrinfo: the hosts
// file, DNS and whatever else the system is set up to ask), and tells "no such name" from "no
// answer". QHostInfo cannot: it reports both as HostNotFound, and a link check without network
// would take every site for gone.
//
// getaddrinfo answers EAI_NONAME only when a resolver answered NXDOMAIN (or the hosts file and
// every source said no), and EAI_NODATA when the name exists with no address: both are answers
// about the name. A resolver that cannot be reached, times out or answers SERVFAIL gives
// EAI_AGAIN; EAI_FAIL, EAI_SYSTEM and the rest are failures of the asking, not of the name.
// "localhost" and the names under it are this computer's loopback addresses by their name alone
// (AddressKind::isLoopbackName): no resolver is asked, and no hosts file is needed.
class HostLookup : public QObject
{
    Q_OBJECT
public:
    explicit HostLookup(QObject *parent = nullptr);
    ~HostLookup() override;

    // Starts looking `host` up (a lookup already running is forgotten); `finished` follows, never
    // within start().
    void start(const QString &host);
    // Forgets the lookup running: `finished` does not follow.
    void cancel();

    // What a getaddrinfo error code means for the name. Pure.
    static HostLookupResult::Outcome outcomeOf(int error);

    // Test hook, null in use: answers every name in place of the system's resolver (names of
    // this computer, and addresses, are never asked).
    static inline HostLookupResult (*testResolver)(const QString &host) = nullptr;

signals:
    void finished(const HostLookupResult &result);

private:
    struct Pending;
    std::shared_ptr<Pending> m_pending;
};
