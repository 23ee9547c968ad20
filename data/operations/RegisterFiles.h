#pragma once

#include "RegisterLock.h"
#include "RegisterTypes.h"

#include <functional>
#include <optional>
#include <vector>

class RegisterFolder;
struct ConflictCopy;

// The register's operations at the level of its files, each one whole under the register's lock
// and on disk when it returns. A record keeps the number of its data file for as long as it lives;
// nothing is ever renumbered, and the count is never lowered. A load never reads a file numbered
// above the count; an operation that brings records in counts such files in (see IncomingRecords).
class RegisterFiles
{
public:
    // `lockWaitMs`: how long an operation waits for another program's lock before it gives up.
    explicit RegisterFiles(RegisterFolder &folder, int lockWaitMs = RegisterLock::kDefaultWaitMs);

    // Every record within the count, with the count. A damaged register (see
    // OperationStatus::Damaged) loads every data file present.
    Reading<LoadedRegister> load();
    // One record by number; none when it has no file within the count.
    Reading<std::optional<SiteRecord>> read(int number);
    // Reads the records `numbers` under one lock and one reading of the count, telling `take` of
    // each in turn until it answers false: `record` is null when the number has no file within the
    // count, and `read` fails when the file is there but cannot be read (it is not gone). Fails
    // only when the lock or the count cannot be had, and then nothing was taken.
    IoResult readEach(const std::vector<int> &numbers,
                      const std::function<bool(int number, const IoResult &read, const SiteRecord *record)> &take);
    // The data file numbers present in the folder within the count, above `above`, ascending.
    Reading<std::vector<int>> presentNumbers(int above);
    // The count setting.ini holds now.
    Reading<RegisterCount> count();

    // A new record at a new number (see IncomingRecords), its file written fresh, then the count.
    // A record without dates of its own is added now (StampedNew); an update, a restore and a
    // take-in write the dates their records carry.
    OperationResult add(const SiteRecord &record);
    // Several new records as one operation: their files, then the count once, so that a crash
    // leaves the register as before or with all of them. `numbers` receives where each went.
    OperationResult addMany(const std::vector<SiteRecord> &records, std::vector<int> *numbers = nullptr);
    // The same for `count` records made one at a time by `recordAt` as they are written, so that
    // an import of hundreds of megabytes need not hold them all as the register stores them.
    OperationResult addMany(std::size_t count, const std::function<SiteRecord(std::size_t index)> &recordAt,
                            std::vector<int> *numbers = nullptr);
    // Takes in the conflict copies a sync tool left (see CopyTakeIn), as one operation, and
    // removes the records two computers took in twice; writes nothing when there is nothing to do.
    // `takenIn` lists the copies removed, `removedTwice` the records. A caller that holds the
    // records numbered up to `inMemoryCount` (a window) passes them, so that a copy is compared
    // with them rather than with every record read again.
    OperationResult takeIn(std::vector<ConflictCopy> &takenIn, const SiteList *inMemory = nullptr, int inMemoryCount = 0,
                           std::vector<int> *removedTwice = nullptr);
    // Rewrites record `number` (its other lines kept), unless its file no longer holds `seen`, the
    // record as the user saw it: then nothing is written (ChangedElsewhere, RemovedElsewhere). The
    // check and the replacement are one step: an edit another program makes after the check is
    // put back, never overwritten.
    OperationResult update(int number, const SiteRecord &record, const SiteRecord &seen);
    // Rewrites several records as one operation under one lock, each as update() rewrites one: a
    // record whose file no longer holds what was seen is left as it is (ChangedElsewhere,
    // RemovedElsewhere in `outcomes`, one for each update in the order given), the others are
    // written. Nothing is written when any record cannot be stored. A failure to read or write
    // stops there: the records before it stay written (Done), it and the rest are Failed.
    OperationResult updateMany(const std::vector<RecordUpdate> &updates, std::vector<OperationStatus> *outcomes = nullptr);
    // Removes record `number` unless its file no longer holds `seen`; the count stays. Whatever
    // fails, the record stays on disk.
    OperationResult remove(int number, const SiteRecord &seen);
    // Removes several records as one operation under one lock: all of them, or none when any one
    // is no longer as seen (its number in the result) or anything cannot be written. With `kept`,
    // their files are kept aside rather than removed, one for each record in the order given (a
    // number given twice is kept once): whoever asks for them discards them when done with them.
    OperationResult removeMany(const std::vector<std::pair<int, SiteRecord>> &seen, std::vector<KeptFile> *kept = nullptr);
    // The same without a check of what the file holds: whatever record is there now.
    OperationResult update(int number, const SiteRecord &record);
    OperationResult remove(int number);
    // Puts a record back at `number` when that number is within the count and free, else at a new
    // number; `number` in the result says where it went.
    OperationResult restore(int number, const SiteRecord &record);
    // Puts several records back as one operation, each at its number when that is within the count
    // and free (else at a new number); `numbers` receives where each went, in the order given.
    // A record with a file in `kept` that still holds what it held gets that file back under its
    // name (which costs no write); the others are written. Once done, every kept file given is
    // gone; when it fails, they stay as they were.
    OperationResult restoreMany(const std::vector<std::pair<int, SiteRecord>> &records, std::vector<int> &numbers,
                                const std::vector<KeptFile> *kept = nullptr);
    // Sets the count to the highest data file number present (but not one far above the rest, see
    // FarNumbers), after telling `beforeWriting` the
    // count it replaces (-1 when there was none to read) and the new one. The only write a damaged
    // register takes.
    OperationResult repair(const std::function<void(int from, int to)> &beforeWriting = {});

private:
    OperationResult updateIf(int number, const SiteRecord &record, const SiteRecord *seen);
    // With `compare` false, whatever each record's file holds is removed.
    OperationResult removeIf(const std::vector<std::pair<int, SiteRecord>> &seen, bool compare,
                             std::vector<KeptFile> *kept = nullptr);

    RegisterFolder &m_folder;
    int m_lockWaitMs;
};
