#pragma once

#include "RegisterLock.h"
#include "RegisterTypes.h"
#include "SiteList.h"

#include <QString>
#include <QStringList>

#include <vector>

class RegisterFolder;

// One conflict copy a sync tool left in the register folder (see ConflictCopyName).
struct ConflictCopy
{
    QString file;     // the copy's name on disk
    QString original; // what it is a copy of: a data file's name or setting.ini
    int count = -1;   // a copy of setting.ini: the count it holds (-1 when it holds none)
    SiteRecord record; // a copy of a data file: the record it holds
    // After a take-in: the number the copy's record now has, or 0 when that record was already
    // there (or the copy was of setting.ini).
    int number = 0;
    // No sync tool's copy but a data file numbered far above the rest of the register, or a count
    // (of setting.ini itself too) far above its files, then read as `readAs` (see FarNumbers).
    bool far = false;
    int readAs = -1;

    bool isCount() const;
};

// What a file-sync tool set aside as conflict copies when two computers changed a register file
// before they met. A copy of a data file holds a record somebody made: the next operation that
// writes takes it in (RegisterFiles::takeIn) as a record of its own, unless a record equal to it is
// there already. A copy of setting.ini holds a count: the count in force is the highest of
// setting.ini and its copies, so that a record added on the other computer never lies above it.
//
// Two computers may take in the same copy at once, each before the other's result arrives. Both
// then start from the same files, and the take-in depends only on them (copies in name order, each
// renamed to its number), so both make the same files; and a copy equal to a record already there
// is only removed, so whatever one side's result brings to the other settles to each record once.
class CopyTakeIn
{
public:
    explicit CopyTakeIn(RegisterFolder &folder, int lockWaitMs = RegisterLock::kDefaultWaitMs);

    // Whether any of `names` is a conflict copy of a register file.
    static bool anyCopy(const QStringList &names);
    // Whether any of `names` is a data file numbered far above the rest and above `count`, which
    // a take-in brings in as it brings in a copy (see FarNumbers).
    static bool anyFar(const QStringList &names, int count);

    // Without writing, for a listing: the copies whose records would become records of their own
    // (equal to none in `sites`, as loaded with setting.ini's count), and the records that lie
    // above setting.ini's count but within a copy's, which the count in force brings in.
    IoResult pending(const SiteList &sites, std::vector<ConflictCopy> &records, SiteList &aboveCount);

private:
    RegisterFolder &m_folder;
    int m_lockWaitMs;
};
