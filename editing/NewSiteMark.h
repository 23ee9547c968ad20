#pragma once

#include <QByteArray>

#include <cstdint>

class SiteRecord;

// The mark (新着) after the entry of a site added lately: the user's own HTML in the register's
// code page, "NEW!" or <img src="new.gif" alt="NEW">, written after the link of every site added
// less than `days` days before `now`. A site whose added date is unknown is never new: a register
// carried over from the Windows program would otherwise be new from end to end.
struct NewSiteMark
{
    int days = 0;          // 0: no mark
    std::int64_t now = 0;  // seconds since 1970 UTC; given, so that a page made twice is the same page
    QByteArray html = DefaultHtml();

    bool isOn() const { return days > 0; }
    // Added after the moment `days` days before now, to the second: a site added exactly that long
    // ago is new no more. A site stamped after `now` (another computer's clock ahead) is new.
    bool marks(const SiteRecord &site) const;

    static QByteArray DefaultHtml() { return QByteArrayLiteral("NEW!"); }
    static constexpr int kMaxDays = 3650;
};
