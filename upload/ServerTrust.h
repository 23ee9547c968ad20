#pragma once

#include "UploadServer.h"

#include <QByteArray>
#include <QString>

class UploadEdges;

// Whether the server is the one it claims to be. SFTP: its host key against ~/.ssh/known_hosts;
// a host never seen shows its fingerprint and is added only when the user agrees; a key that
// differs from the one known is refused. FTPS: the certificate as OpenSSL checks it against the
// system's authorities and the host name, or, once the user has accepted one after seeing its
// fingerprint, that very certificate and no other. libcurl asks this from inside its handshake.
class ServerTrust
{
public:
    enum class Verdict {
        Trusted,
        HostKeyChanged,     // known_hosts holds another key for the host
        HostKeyRefused,     // never seen, and the user did not accept it
        KnownHostsUnwritten,// accepted, but known_hosts could not take it
        CertificateUntrusted,
    };

    ServerTrust(UploadServer &server, UploadEdges &edges, const QString &knownHostsFile);

    // libcurl's host key question: `found` is the server's key, `known` whether known_hosts holds
    // it, another key, or none. True to go on.
    enum class KnownMatch { Same, Other, None };
    bool hostKey(const QByteArray &found, KnownMatch known);
    // The certificate's check, at every step of OpenSSL's: `certificate` is the server's own in
    // DER, `chainOk` OpenSSL's verdict so far, `problem` its words for what failed.
    bool certificate(const QByteArray &certificate, bool chainOk, const QString &problem);

    // After a handshake refused for the certificate: asks the user about the one seen (false
    // when none was seen, or the user did not accept it); an accepted one is pinned in `server`.
    bool askCertificate(const QString &curlProblem);

    // Before each request: what the last one found is forgotten.
    void reset();

    Verdict verdict() const { return m_verdict; }
    QString knownHostsFile() const { return m_knownHosts; }
    QString knownHostsReason() const { return m_knownHostsReason; }
    bool pinned() const { return !m_server.certificatePin.isEmpty(); }
    // What was wrong with the certificate last refused, in words for people.
    QString certificateProblem() const { return m_seenProblem; }

    static QString certificateFingerprint(const QByteArray &certificate);

private:
    UploadServer &m_server;
    UploadEdges &m_edges;
    QString m_knownHosts;
    QString m_knownHostsReason;
    Verdict m_verdict = Verdict::Trusted;
    QString m_seenFingerprint;
    QString m_seenProblem;
};
