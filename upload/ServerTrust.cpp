#include "ServerTrust.h"

#include "KnownHosts.h"
#include "UploadEdges.h"
#include "UploadText.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

ServerTrust::ServerTrust(UploadServer &server, UploadEdges &edges, const QString &knownHostsFile)
    : m_server(server), m_edges(edges), m_knownHosts(knownHostsFile)
{
}

void ServerTrust::reset()
{
    m_verdict = Verdict::Trusted;
    m_seenFingerprint.clear();
    m_seenProblem.clear();
}

bool ServerTrust::hostKey(const QByteArray &found, KnownMatch known)
{
    switch (known) {
    case KnownMatch::Same:
        m_verdict = Verdict::Trusted;
        return true;
    case KnownMatch::Other:
        m_verdict = Verdict::HostKeyChanged;
        return false;
    case KnownMatch::None:
        break;
    }
    if (!m_edges.acceptHostKey(m_server, KnownHosts::keyType(found), KnownHosts::fingerprint(found))) {
        m_verdict = Verdict::HostKeyRefused;
        return false;
    }
    QByteArray salt(20, Qt::Uninitialized);
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    const QString pattern = KnownHosts::hostPattern(m_server.host, m_server.effectivePort());
    if (const IoResult added = KnownHosts::append(m_knownHosts, KnownHosts::hashedLine(pattern, found, salt)); !added) {
        m_verdict = Verdict::KnownHostsUnwritten;
        m_knownHostsReason = added.describe();
        return false;
    }
    m_verdict = Verdict::Trusted;
    return true;
}

QString ServerTrust::certificateFingerprint(const QByteArray &certificate)
{
    return QStringLiteral("SHA256:")
        + QString::fromLatin1(QCryptographicHash::hash(certificate, QCryptographicHash::Sha256).toHex(':').toUpper());
}

bool ServerTrust::certificate(const QByteArray &certificate, bool chainOk, const QString &problem)
{
    const QString fingerprint = certificateFingerprint(certificate);
    m_seenFingerprint = fingerprint;
    if (!m_server.certificatePin.isEmpty()) {
        // The one certificate accepted: its name and authority no longer matter, its bytes do.
        const bool same = fingerprint == m_server.certificatePin;
        if (!same) {
            m_seenProblem = UploadText::tr("以前に受け入れた証明書と異なります");
            m_verdict = Verdict::CertificateUntrusted;
        }
        return same;
    }
    if (!chainOk) {
        // The first failure OpenSSL names is the one that matters (the certificate signed by
        // itself, not the chain's end that follows from it).
        if (m_seenProblem.isEmpty())
            m_seenProblem = problem;
        m_verdict = Verdict::CertificateUntrusted;
    }
    return chainOk;
}

bool ServerTrust::askCertificate(const QString &curlProblem)
{
    if (m_seenFingerprint.isEmpty())
        return false;
    const bool changed = !m_server.certificatePin.isEmpty();
    // A certificate an authority vouches for, refused all the same: it is another name's.
    const QString problem = !m_seenProblem.isEmpty() ? m_seenProblem
        : curlProblem.contains(QLatin1String("name"), Qt::CaseInsensitive)
        ? UploadText::tr("証明書が %1 のものではありません").arg(m_server.host)
        : curlProblem;
    if (!m_edges.acceptCertificate(m_server, m_seenFingerprint, problem, changed))
        return false;
    m_server.certificatePin = m_seenFingerprint;
    m_verdict = Verdict::Trusted;
    return true;
}
