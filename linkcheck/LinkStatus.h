#pragma once

#include <QString>
#include <QStringView>

// How a link answered, from the reader's point of view.
enum class LinkStatus {
    Ok,          // answered 2xx (also a 3xx that names nowhere to go: a browser shows its page)
    Moved,       // reachable, but its first answer was a permanent move (301/308)
    Gone,        // 4xx
    ServerError, // 5xx, a redirect loop or chain too long, a broken answer
    NoHost,      // the host name does not resolve
    Refused,     // nothing listens there
    TlsError,    // no secure connection could be made
    Timeout,     // no answer in time, twice
    Invalid,     // not an http or https URL: never asked
};

// The names scripts and the results file use: "ok", "moved", "gone", "server_error", …
QString LinkStatusName(LinkStatus status);
// The status of a name; false for an unknown name.
bool LinkStatusFromName(QStringView name, LinkStatus &status);

// The outcome of checking one URL.
struct LinkResult
{
    LinkStatus status = LinkStatus::Invalid;
    int code = 0;     // HTTP status of the last answer; 0 when none came
    QString finalUrl; // where the redirects ended (the URL itself when there were none)
    QString movedTo;  // Moved only: where the leading permanent moves lead, the URL to store instead
    QString message;  // for people, in Japanese

    friend bool operator==(const LinkResult &a, const LinkResult &b)
    {
        return a.status == b.status && a.code == b.code && a.finalUrl == b.finalUrl && a.movedTo == b.movedTo
            && a.message == b.message;
    }
};

// Whether a result says the link is dead for good: its host is gone, or its server says the page
// is not there (404, 410). Time-outs, refusals, 5xx and TLS failures pass; so do the 4xx answers
// that refuse the checker rather than deny the page (401, 403, 429, ...), since a reader's
// browser may well be let in.
bool IsDeadLink(const LinkResult &result);

// The Japanese message for a status and code, with `detail` (a reason, a URL) where it helps.
QString LinkMessage(LinkStatus status, int code, const QString &detail = QString());
