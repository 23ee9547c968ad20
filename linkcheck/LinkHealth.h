#pragma once

#include "LinkResults.h"

#include <QString>
#include <QTimeZone>

// How a site's link fares, as the list marks it. Only a missing page or host counts as dead:
// a server error, a refusal or a timeout may pass by the next check.
enum class LinkHealth {
    Unchecked, // never checked, or not an http/https URL
    Ok,
    Moved,    // reachable; the stored URL could take the new one
    Doubtful, // no page this time, maybe not for long
    Dead,
};

// A status in a word or two, for a table cell: "リンク切れ", "移転", …
QString LinkStatusLabel(LinkStatus status);
LinkHealth LinkHealthOf(LinkStatus status);

// A site's mark in the list: its health and a tooltip with the status, the code, where a
// permanent move leads and when the check was made (in `zone`), e.g.
// "リンク切れ（404）\n2026-12-07 10:00 に確認". No result is Unchecked, said so.
struct LinkHealthMark
{
    LinkHealth health = LinkHealth::Unchecked;
    QString toolTip;
};
LinkHealthMark LinkHealthMarkOf(const CheckedLink *checked, const QTimeZone &zone = QTimeZone::systemTimeZone());
