#pragma once

#include "SiteList.h"
#include "SiteRecord.h"

#include <QByteArray>
#include <QString>

#include <map>

// The register that crash trials kill programs over, and what they expect of it afterwards.
namespace CrashRegister {

constexpr int kRecords = 1000;

// A realistic record (Japanese text, quoted blanks, a long content) whose name carries `tag`.
SiteRecord Record(const QByteArray &tag);
// The tag a record's name carries.
QByteArray TagOf(const SiteRecord &record);

// Record number → tag.
using Contents = std::map<int, QByteArray>;

// Writes the starting register into the empty folder `directory`: numbers 1 … kRecords with
// every seventh one missing (gaps, as deletes leave them).
Contents WriteStart(const QString &directory);

// Complaints about the files in `directory`: a file not whole (not as a write leaves it), or
// more temporaries left behind than `allowedTemporaries`. Empty when all is well.
QString CheckFiles(const QString &directory, int allowedTemporaries);

// The register as "number<TAB>fields in hex" lines, as the window operator prints its list.
inline QByteArray Listing(const SiteList &sites)
{
    QByteArray out;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const SiteRecord &r = sites.at(i);
        out += QByteArray::number(sites.number(i)) + '\t'
            + (r.m_name + '|' + r.m_url + '|' + r.m_keyword1 + '|' + r.m_keyword2 + '|' + r.m_keyword3 + '|' + r.m_content).toHex()
            + '\n';
    }
    return out;
}

} // namespace CrashRegister
