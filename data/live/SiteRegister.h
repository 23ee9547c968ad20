#pragma once

#include "CopyTakeIn.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "SiteDates.h"
#include "SiteList.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <optional>
#include <set>
#include <vector>

class RegisterWatcher;

// One register for as long as a program uses it: loaded once, then every operation on disk when it
// returns, with the list in memory kept in step. While it is watched, changes other programs make
// in the folder are taken in as they happen: only the files named by the change are read again,
// and what we wrote ourselves comes back as a change that changes nothing. Every change to the list
// is announced record by record, so that a view keeps its current row and scroll position.
class SiteRegister : public QObject
{
    Q_OBJECT
public:
    // `folderPath` as bytes, exactly as given (a command line may hold bytes that are not UTF-8).
    explicit SiteRegister(const QByteArray &folderPath, QObject *parent = nullptr);
    ~SiteRegister() override;

    // Opens the folder (a missing one reads as an empty register and is made by the first write)
    // and loads every record.
    IoResult open();
    // setting.ini has no usable count while data files exist: shown, never written.
    bool isDamaged() const { return m_damaged; }
    // The data files the load passed over (links, folders, pipes, devices, files over the limit),
    // each naming its file and why.
    const std::vector<IoResult> &passedOver() const { return m_passedOver; }
    const SiteList &sites() const { return m_sites; }
    RegisterFolder &folder() { return m_folder; }
    // The path of setting.ini as it is named on disk, for messages.
    QString settingPath() const;

    // A new record without dates of its own is added now (StampedNew); the list holds each as
    // written, dates and all.
    OperationResult add(const SiteRecord &record);
    // `numbers` receives where each record went.
    OperationResult addMany(const std::vector<SiteRecord> &records, std::vector<int> *numbers = nullptr);
    // Rewrites record `number`, unless its file no longer holds `seen`, the record as the user saw
    // it (not as the list has it now: the list may already show another program's change). The
    // record keeps `seen`'s added date and is changed now, where its texts change (StampedEdit).
    OperationResult update(int number, const SiteRecord &record, const SiteRecord &seen);
    // Rewrites several records as one operation (see RegisterFiles::updateMany); the list takes
    // those written, and those changed or removed elsewhere as their files are now. With
    // AsTheyWere, each record is written with the dates it carries (an undo, a redo).
    OperationResult updateMany(const std::vector<RecordUpdate> &updates, std::vector<OperationStatus> *outcomes = nullptr,
                               EditDates dates = EditDates::Now);
    // Removes record `number`, unless its file no longer holds `seen`.
    OperationResult remove(int number, const SiteRecord &seen);
    // Removes several records, all or none (see RegisterFiles::removeMany).
    OperationResult removeMany(const std::vector<std::pair<int, SiteRecord>> &seen, std::vector<KeptFile> *kept = nullptr);
    // The same, with the record as the list has it now taken as seen.
    OperationResult update(int number, const SiteRecord &record);
    OperationResult remove(int number);
    // A record put back keeps the dates it carries, unknown ones too.
    OperationResult restore(int number, const SiteRecord &record);
    // Several records put back as one operation (see RegisterFiles::restoreMany).
    OperationResult restoreMany(const std::vector<std::pair<int, SiteRecord>> &records, std::vector<int> &numbers,
                                const std::vector<KeptFile> *kept = nullptr);

    // From now on, takes in what other programs change in the folder.
    void watch();
    // Reads the named files of the folder again and brings the list in step with them. Many files
    // are read a slice at a time, each when the event loop turns, so that it keeps turning.
    void refresh(const QStringList &names);
    // Reads the whole register again and brings the list in step with it, as refresh() does.
    void refreshAll();
    // How soon what could not be read while another program held the lock is tried again.
    static constexpr int kRetryMs = 50;
    // How long one slice of reading may last before the event loop turns (it reads
    // kLeastPerSlice records however long they take). The turn also carries the view's work for
    // what the slice brought (rows announced, keywords gathered, the table drawn), and on a busy
    // machine each millisecond of our own work takes several: a short slice keeps the turn short.
    void setSliceMs(int ms) { m_sliceMs = ms; }
    static constexpr int kSliceMs = 10;
    static constexpr int kLeastPerSlice = 32;

signals:
    void recordsAboutToBeInserted(int first, int last);
    void recordsInserted(int first, int last);
    void recordsAboutToBeRemoved(int first, int last);
    void recordsRemoved(int first, int last);
    void recordChanged(int position);
    // So many records changed at once that announcing each one would cost more than reading all.
    void aboutToBeReset();
    void wasReset();
    // setting.ini became damaged, or was repaired.
    void damageChanged(bool damaged);
    // The list came to rest after an operation or a slice of other programs' changes: once,
    // however many records were announced one by one before it.
    void listChanged();
    // Conflict copies a sync tool left were taken in (see CopyTakeIn), once per take-in.
    void conflictCopiesTakenIn(const std::vector<ConflictCopy> &copies);
    // Data files another program put in the folder that the list passes over (IsPassedOver).
    void filesPassedOver(const std::vector<IoResult> &files);
    // Files in the folder beside the register's own (a link check's results, what a sync tool
    // made of them) that another program changed, by name; none named: any of them may have.
    void besideFilesChanged(const QStringList &names);

private:
    // Beyond this many changed records one reset is cheaper for a view than a signal per record.
    static constexpr int kMostSingleChanges = 512;

    // The changes made while one lives are told by one listChanged() when the outermost ends.
    class Batch
    {
    public:
        explicit Batch(SiteRegister &owner);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        SiteRegister &m_owner;
    };

    // Makes the list hold `record` as record `number`, or no record `number` without one.
    void put(int number, const std::optional<SiteRecord> &record);
    // Records numbered above every record in the list, announced as one block.
    void append(const SiteList &records);
    // The records `numbers` (ascending) out of the list, announced run by run, or as one reset
    // when the runs are too many to announce one by one.
    void eraseNumbers(const std::vector<int> &numbers);
    // Brings the list in step with setting.ini's count: records above it are dropped, and those
    // between the count the list followed and the new one are read, until `deadline` (once it has
    // read a few). False when it stopped short: the list then follows a count in between.
    bool followCount(QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));
    // One slice of what refresh() and refreshAll() queued; the rest when the event loop turns.
    void readSome();
    // Reads the whole register at once (a damaged one, or one becoming damaged or sound).
    void reloadAll();
    static bool isBusy(const IoResult &io);
    // Files to read again once the lock is free, on a timer, so that nothing waits for it.
    void defer(const QStringList &names);
    void retryPending();
    // After an operation found the record changed or removed: the list takes the file as it is.
    void takeOnDisk(const OperationResult &result);
    void makeFolder();
    // Takes in the conflict copies in the folder, soon, when the event loop turns: once however
    // many changes named them, and again later while another program holds the lock.
    void scheduleTakeIn(int delayMs = 0);
    void takeInCopies();
    // Schedules a take-in for a record that may be one of two twins it settles.
    void watchForTwin(const SiteRecord &record);
    QString watchPath() const;

    RegisterFolder m_folder;
    RegisterFiles m_files;
    // Reads what other programs changed without waiting for their lock.
    RegisterFiles m_reader;
    QSet<QString> m_pending;
    bool m_pendingAll = false;
    QTimer m_retry;
    SiteList m_sites;
    // The count the list follows: every record numbered up to it that has a file is in the list.
    int m_count = 0;
    bool m_damaged = false;
    std::vector<IoResult> m_passedOver;
    RegisterWatcher *m_watcher = nullptr;
    QTimer m_takeIn;
    // The texts of records marked as taken in or put back, whose twins the take-in settles.
    QSet<QByteArray> m_markedTexts;
    // What is still to be read: these records, and the count once more when `m_following`.
    std::set<int> m_toRead;
    bool m_following = false;
    QTimer m_slice;
    int m_sliceMs = kSliceMs;
    int m_batches = 0;
    bool m_changed = false;
};
