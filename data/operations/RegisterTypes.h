#pragma once

// The words of the register's operations that every floor of data/ shares: what became of an
// operation, what a reading gave, the register as a load found it, and the files an undo needs.
#include "IoResult.h"
#include "SiteList.h"

#include <vector>

// What became of one operation on the register.
enum class OperationStatus {
    Done,
    Damaged,          // setting.ini missing, empty or not a count while data files exist: nothing written
    ChangedElsewhere, // the record's file no longer holds what was loaded: nothing written
    RemovedElsewhere, // the record's file is gone: nothing written
    Busy,             // another program held the register's lock for too long
    Failed,           // a file could not be read or written: `io` says which and why
};

struct OperationResult
{
    OperationStatus status = OperationStatus::Done;
    int number = 0; // the record's file number (the first one, for several)
    IoResult io;
    // When the folder's names last changed before the operation and after it, under its lock
    // (RegisterFolder::changedAt): a note kept of the register that matched the first is good for
    // the second, with the operation's own change made to it.
    qint64 changedBefore = -1;
    qint64 changedAfter = -1;

    bool done() const { return status == OperationStatus::Done; }
};

// What a reading of the register gave: its value, or why it could not be read (`io`, and the value
// is then empty).
template <class T>
struct Reading
{
    IoResult io;
    T value{};

    explicit operator bool() const { return bool(io); }
};

// The register as one load found it, all under one lock.
struct LoadedRegister
{
    SiteList sites;       // every record within the count, in number order, each with its number
    int count = 0;        // the count in force: setting.ini's, or the highest record a damaged one has
    bool damaged = false; // setting.ini missing, empty or not a count while data files exist
    // Data files within the count the load passed over (IsPassedOver), each naming its file and why.
    std::vector<IoResult> passedOver;
    qint64 changedAt = -1; // the folder's stamp as the load found it (RegisterFolder::changedAt)
    // setting.ini's count where it lay far above the data files, and `count` is what they allow
    // (see FarNumbers); -1 otherwise.
    int farCount = -1;
};

// One record of an operation that rewrites several: its number, what it becomes, and what the
// user saw (its file is compared with that first).
struct RecordUpdate
{
    int number = 0;
    SiteRecord record;
    SiteRecord seen;
};

// The count as setting.ini holds it now.
struct RegisterCount
{
    int count = 0;        // 0 when damaged or when there is no setting.ini
    bool damaged = false; // as for LoadedRegister
    bool far = false;     // setting.ini holds a count far above the files, read as `count` (see FarNumbers)
};

// A record's file that a delete kept aside for its undo to put back (RegisterFolder::moveAside):
// its name in the folder and a digest of what it held, by which a file changed since is known.
struct KeptFile
{
    QString name;
    QByteArray digest;
};

// "data<number>.ini", the file of record `number`.
QString DataFileName(int number);
// The number of a data file's name, matched without regard to ASCII case (DATA7.INI is 7); 0 for
// any other name, and for a number written with leading zeros, which no reader would open.
int DataFileNumber(const QString &name);

// Whether a failed read was of a data file the register passes over (with a warning) rather than a
// failure of the register: a symbolic link, a folder, a pipe or a device in its place, or a file
// over the size limit. A sync tool copies links as links; one must not take the register down.
bool IsPassedOver(const IoResult &read);

// The record count as the register's readers take it: leading blanks, an optional sign and decimal
// digits up to the first other character (0 when there are none), held to the int range.
// `hasNumber` tells whether any digit was there at all ("three" is no count; "7abc" is 7).
int ParseRecordCount(const QByteArray &text, bool *hasNumber = nullptr);
