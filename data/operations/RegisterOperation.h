#pragma once

// One operation on the register's files under its lock, for every writer below the front door
// (RegisterFiles and its floors, IncomingRecords, CopyTakeIn): the lock, the count, the check of
// a record against what was seen, and the notes outside the folder that every write keeps.
#include "IniDocument.h"
#include "LocalState.h"
#include "RegisterFolder.h"
#include "RegisterLock.h"
#include "RegisterTypes.h"

#include <optional>
#include <utility>
#include <vector>

// setting.ini as an operation reads it.
struct RecordCount
{
    IniDocument file;
    bool fileExists = false;
    bool readable = false; // the count starts with a number that is not negative
    int value = 0;         // the count in force
    // What setting.ini holds: `value` but where that lies far above the data files (see
    // FarNumbers), and `value` is then what they allow.
    int held = 0;

    bool far() const { return readable && held != value; }
};

// A record's file as the check before a write read it.
struct CheckedRecord
{
    IniDocument file;
    QByteArray bytes;
};

OperationResult Outcome(OperationStatus status, int number, const IoResult &io = {});
// A failure to read or write; Busy when it was the lock.
OperationResult Failed(const IoResult &io, int number = 0);

class RegisterOperation
{
public:
    RegisterOperation(RegisterFolder &folder, RegisterLock::Mode mode, int lockWaitMs);

    IoResult io() const { return m_io; }
    // The folder's stamp when the lock was taken (RegisterFolder::changedAt).
    qint64 changedBefore() const { return m_changedBefore; }

    // The folder as this program's writers last left it (see FolderNote), when no other program
    // has changed its names since; none otherwise.
    std::optional<FolderNote> trustedNote() const;
    // After a write: the note of what it left, and the result with the folder's stamps.
    OperationResult leaveNote(OperationResult result, int highest, bool clean, bool cased = true);
    // After a write that neither made nor took a name (an update, a delete): the note carried on
    // when it was good before.
    OperationResult carryNote(OperationResult result);
    // What the write did to record `number`, for the note of the sites (SiteDigestNote), which both
    // calls above keep: it now leads to `url`, or went (an empty URL).
    void noteRecord(int number, const QByteArray &url) { m_records.emplace_back(number, url); }
    // Every record within the count as the write read them all (a take-in does): the note of the
    // sites is then written anew from them, with noteRecord()'s changes, whatever it was before.
    void noteEveryRecord(std::vector<std::pair<int, QByteArray>> urls) { m_everyRecord = std::move(urls); }

    // The lock and a count that may be written to, for an operation on record `number`.
    OperationResult startWriting(RecordCount &count, int number);
    // setting.ini's count, read as the data files allow (see FarNumbers); `listed`, when the caller
    // has just listed the folder, spares a second listing.
    IoResult readCount(RecordCount &count, const QStringList *listed = nullptr);
    // Removes what a batch of new records that never got its count left above the count (see
    // BatchJournal); only with a count that can be read: with none, nothing is known to be above it.
    void dropUnfinishedBatch(const RecordCount &count);
    // The count for a write; a count that cannot be read while data files exist refuses it.
    OperationResult writableCount(RecordCount &count);
    // Gives a register without setting.ini one holding 0, before its first data file is written:
    // a data file without a count beside it reads as a damaged register.
    IoResult makeCountFile(RecordCount &count);
    // The count, written last; the folder is flushed whether or not it changed.
    IoResult writeCount(RecordCount &count, int value);
    // A record's file as it is now. A link, a folder, a pipe, a device or a file over the limit in
    // its place is never opened: the read fails (IsPassedOver), and each caller decides.
    IoResult readRecord(int number, SiteRecord &record, bool &exists, CheckedRecord *checked = nullptr);
    // Whether `number` is within the count and its file holds `seen` (when given).
    OperationResult check(const RecordCount &count, int number, const SiteRecord *seen, CheckedRecord &checked);
    // Whether anything but a folder has record `number`'s name, readable or not: such a number is
    // never a gap to be counted out or written into.
    bool fileAt(int number) const;

private:
    RegisterFolder &m_folder;
    std::optional<RegisterLock> m_lock;
    IoResult m_io;
    qint64 m_changedBefore = -1; // taken under the lock
    std::vector<std::pair<int, QByteArray>> m_records; // see noteRecord()
    std::optional<std::vector<std::pair<int, QByteArray>>> m_everyRecord;
    void keepSitesNote(qint64 after);
};

// A record the format cannot hold is refused before anything is touched: true, with `refusal`.
bool RefusedAsUnstorable(const SiteRecord &record, const QString &file, int number, OperationResult &refusal);
// What tells a file's bytes from any others: a kept file's, a new file's before it takes its
// number, a batch's files in its note.
QByteArray FileDigest(const QByteArray &bytes);

// A record's file as a new record's file is written: the record and nothing else.
QByteArray FreshFileBytes(const SiteRecord &record);
// The count a setting.ini (or a copy of one) holds, or -1 when it holds none.
int CountInSetting(const IniDocument &file);
