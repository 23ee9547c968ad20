#pragma once

#include "UploadEdges.h"

#include <QStringList>

// The person in front of an upload, answering as the test says and noting what was asked.
struct FakeEdges : UploadEdges
{
    QStringList secrets; // given in turn, the last one again and again; none: the user stops
    bool remember = true;
    int secretAsks = 0;
    int askedAgain = 0;
    bool trustServer = true;      // a host key or certificate shown
    QStringList identitiesShown;  // their fingerprints
    int changedCertificates = 0;
    bool allowClearText = true;
    int clearTextAsks = 0;

    std::optional<SecretAnswer> askSecret(const UploadServer &, SecretKind, bool again) override
    {
        ++secretAsks;
        askedAgain += again ? 1 : 0;
        if (secrets.isEmpty())
            return std::nullopt;
        return SecretAnswer{secrets.size() > 1 ? secrets.takeFirst() : secrets.first(), remember};
    }
    bool acceptHostKey(const UploadServer &, const QString &, const QString &fingerprint) override
    {
        identitiesShown << fingerprint;
        return trustServer;
    }
    bool acceptCertificate(const UploadServer &, const QString &fingerprint, const QString &, bool changed) override
    {
        changedCertificates += changed ? 1 : 0;
        return acceptHostKey({}, {}, fingerprint);
    }
    bool acceptClearText(const UploadServer &) override
    {
        ++clearTextAsks;
        return allowClearText;
    }
};
