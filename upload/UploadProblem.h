#pragma once

#include <QString>

class ServerTrust;
struct CurlOutcome;
struct UploadServer;

// What kept a file from its place on the server, and the words that say so.
enum class UploadProblem {
    None,
    Cancelled,
    LoginRefused,
    KeyFileUnreadable,
    HostKeyChanged,
    HostKeyRefused,
    KnownHostsUnwritten,
    CertificateUntrusted,
    NoTls,
    HostNotFound,
    CouldNotConnect,
    ConnectionLost,
    TimedOut,
    NoSpace,
    PermissionDenied,
    NotFound,
    RenameRefused,
    WriteFailed, // the server did not take the bytes, for a reason its protocol does not tell
    Other,
};

struct UploadFailure
{
    UploadProblem problem = UploadProblem::None;
    QString reason; // in Japanese, for people

    // Whether the other files cannot go either (no login, no trust, no connection), rather than
    // this file alone.
    bool endsRun() const;
};

// The failure libcurl's answer stands for, the checks of the server's identity taken into account.
UploadFailure DescribeFailure(const CurlOutcome &outcome, const ServerTrust &trust, const UploadServer &server);
UploadFailure ConnectionLostFailure();
