#pragma once

#include <QString>
#include <QStringView>

// How a link answered, from the reader's point of view.
enum class LinkStatus {
    Ok,          // answered 2xx (also a 3xx that names nowhere to go: a browser shows its page)
    Moved,       // reachable, but its first answer was a permanent move (301/308)
    Gone,        // 404 or 410: the server says the page is not there
    ServerError, // 5xx, a redirect loop or chain too long, a broken answer
    NoHost,      // the host name does not resolve
    Refused,     // nothing listens there
    TlsError,    // no secure connection could be made
    Timeout,     // no answer in time, twice
    Invalid,     // not an http or https URL: never asked
    Forbidden,   // any other 4xx (401, 403, 429, …): the server refuses the checker, not the page
    Offline,     // the network did not carry the request: no resolver answered, no route, no proxy
    Internal,    // a redirect into this computer or a local network, never followed
};

// What a status means for the site, the one meaning the list's marks, the search bar's
// リンク切れのみ, リンク切れを除く, the check window and sitekanri-cli all use.
enum class LinkVerdict {
    Unchecked, // never checked, or not an http/https URL
    Ok,
    Moved,   // reachable; the stored URL could take the new one
    Warning, // shown, never left out: a reader's browser may well get in, or it may pass
    Dead,    // the host or the page is gone
};

LinkVerdict LinkVerdictOf(LinkStatus status);

// The names scripts and the results file use: "ok", "moved", "gone", "forbidden", …
QString LinkStatusName(LinkStatus status);
// The status of a name; false for an unknown name.
bool LinkStatusFromName(QStringView name, LinkStatus &status);
// A status in a word or two, for a table cell: "リンク切れ", "移転", …
QString LinkStatusLabel(LinkStatus status);

// The status an HTTP answer of 400 to 499 means.
LinkStatus ClientErrorStatus(int code);

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

// Whether a result says the link is dead for good (LinkVerdict::Dead).
bool IsDeadLink(const LinkResult &result);

// The Japanese message for a status and code, with `detail` (a reason, a host, the new URL of a
// move) where it adds something the status does not say.
QString LinkMessage(LinkStatus status, int code, const QString &detail = QString());
