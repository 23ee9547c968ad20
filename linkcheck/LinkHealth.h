#pragma once

#include "LinkResults.h"

#include <QString>
#include <QTimeZone>

// A site's mark in the list: the verdict on its link and a tooltip with the status, the code,
// where a permanent move leads and when the check was made (in `zone`), e.g.
// "リンク切れ（404）\n2026-12-07 10:00 に確認". No result is Unchecked, said so.
struct LinkHealthMark
{
    LinkVerdict verdict = LinkVerdict::Unchecked;
    QString toolTip;
};
LinkHealthMark LinkHealthMarkOf(const CheckedLink *checked, const QTimeZone &zone = QTimeZone::systemTimeZone());
