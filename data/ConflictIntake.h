#pragma once

#include "RegisterFiles.h"
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

    bool isCount() const;
};

// Brings back into the register what a file-sync tool set aside as conflict copies when two
// computers changed it before they met. A copy of a data file holds a record somebody made: it
// becomes a record of its own with a new number, unless a record equal to it is there already.
// A copy of setting.ini holds a count: the count in force is the highest of setting.ini and its
// copies, so that a record added on the other computer never lies above it.
//
// Two computers may take in the same copy at once, each before the other's result arrives. Both
// then start from the same files, and the take-in depends only on them (copies in name order, the
// same bytes written), so both make the same files; and a copy equal to a record already there is
// only removed, so whatever one side's result brings to the other settles to each record once.
class ConflictIntake
{
public:
    explicit ConflictIntake(RegisterFolder &folder, int lockWaitMs = RegisterLock::kDefaultWaitMs);

    // Whether any of `names` is a conflict copy of a register file.
    static bool anyCopy(const QStringList &names);

    // Without writing, for a listing: the copies whose records would become records of their own
    // (equal to none in `sites`, as loaded), and the records that lie above setting.ini's count but
    // within a copy's, which the count in force brings in.
    IoResult pending(const SiteList &sites, std::vector<ConflictCopy> &records, SiteList &aboveCount);

    // Takes every copy in, as one operation under the register's lock: the new records' files, then
    // the count, then the copies are removed. `takenIn` lists the copies removed. A copy that cannot
    // be read is left where it is. A register whose count cannot be read is left alone (Damaged).
    // A caller that holds the records numbered up to `inMemoryCount` (a window) passes them: then
    // only the files that hold a record equal to a copy, and those above that count, are read, not
    // every record of the register.
    OperationResult takeIn(std::vector<ConflictCopy> &takenIn, const SiteList *inMemory = nullptr,
                           int inMemoryCount = 0);

private:
    class Scan;

    RegisterFolder &m_folder;
    int m_lockWaitMs;
};
