#pragma once

#include "CopyTakeIn.h"
#include "FolderSurvey.h"
#include "RegisterOperation.h"

#include <QHash>
#include <QSet>

#include <functional>
#include <optional>
#include <vector>

// How records come into the register, for every operation that brings one: add and import, the
// undo of a delete, and the take-in of what a sync tool set aside. Under the register's lock:
//  - the count in force is the highest of setting.ini's and its conflict copies', so that a record
//    the other computer added never lies above it;
//  - a data file above that count but within a count this computer saw before, that equals a
//    record of the register, is what a longer list once left there (the Windows program lowers the
//    count), and is removed; any other is a record that came before its count (a sync tool
//    delivers files one by one, in its own order), and the count written last counts it in;
//  - each record brought in takes a number above the count in force and above every data file
//    present (or its own number back, where that is within the count and free), claimed so that
//    no name is ever replaced: a name found taken means the next number;
//  - the count is written above all of them, and only then do the conflict copies taken in go.
// A copy's record is written marked as taken in (SiteRecord::GetInPlaceOf): two computers may take in
// the same copy at once, each at a number of its own, and a take-in removes such a record wherever
// it equals a record numbered below it. A copy that equals the record under the number it was of
// is taken in too, and that file goes: it is the losing version the copy holds, on a computer the
// winning one has not reached yet, and the winner takes the number when it comes. A record an undo
// puts back while another stands under its number is marked the same way, with that number: the
// other computer may put the same record back there. Nothing is written over, renamed onto or removed that was not
// read and accounted for first.
// A data file numbered far above the count in force and every other data file (see FarNumbers) is
// never counted in: its record is taken in as a copy's is, marked with that number, and the file
// goes. A count beyond what the files reach, in setting.ini or a copy, is read as they allow, and
// the count written is that one.
class IncomingRecords
{
public:
    IncomingRecords(RegisterFolder &folder, RegisterOperation &operation, RecordCount &count);

    // Looks at the folder and reads what lies above the count in force and, with Copies::TakeIn, the
    // data files' conflict copies to be taken in. A caller holding the records numbered up to
    // `inMemoryCount` (a window) passes them: a file is then compared with those, and a record
    // read from disk only where one of them equals it, never every record of the register.
    enum class Copies { Leave, TakeIn };
    OperationResult survey(Copies copies, const SiteList *inMemory = nullptr, int inMemoryCount = 0);
    // Whether the survey found copies to take in (of data files, or of setting.ini with a count), or
    // records taken in twice.
    bool anythingToTakeIn();

    // Brings in `size` records, `recordAt(i)` each written fresh, then the copies the survey read.
    // `wanted[i]` is a number the record takes back where that is within the count and free (0:
    // none); `kept[i]` a file a delete kept aside for it, renamed in rather than written when it
    // still holds what it held. `numbers` receives where each of the `size` records went; the
    // result's number is the first of them.
    OperationResult commit(std::size_t size, const std::function<SiteRecord(std::size_t)> &recordAt,
                           std::vector<int> &numbers, const std::vector<int> *wanted = nullptr,
                           const std::vector<KeptFile> *kept = nullptr);

    // Without writing, for a listing: the copies whose records a take-in would bring in, and the
    // records between setting.ini's count and the count in force.
    void preview(std::vector<ConflictCopy> &records, SiteList &aboveCount);

    // After a commit: the copies it removed, each with the number its record took (0 when it
    // equalled a record already there, or held a count), and the records it removed as taken in
    // twice or as the losing version a copy holds.
    const std::vector<ConflictCopy> &takenIn() const { return m_takenIn; }
    const std::vector<int> &removedTwice() const { return m_removedTwice; }

private:
    // A file that is about to take a number: a record written now, a file a delete kept aside (renamed
    // in rather than written), or a conflict copy's record.
    struct Claim
    {
        enum class Source { Written, Kept, Copy };
        Source source = Source::Written;
        std::size_t copy = 0;  // with Source::Copy: which of m_copies
        int wanted = 0;        // the number it takes back where that is within the count and free (0: none)
        int mark = 0;          // the number it is put back in place of, written in its file
        std::optional<QByteArray> markedKept; // a kept file written again with its mark: what else it held is kept
        QString name;          // its name until it takes its number (empty: not written yet)
        QByteArray digest;     // of its bytes, by which it is known again
        int number = 0;        // the number it took
        QByteArray url;        // of its record, for the note of the sites
    };
    struct Above
    {
        int number = 0;
        QString name;
        QByteArray bytes;
        SiteRecord record;
    };

    // Whether `record` equals a record of the register or one brought in before it.
    bool known(const SiteRecord &record);
    void learnRegister();
    // Whether a take-in makes a record of `copy`: it equals no record counted in or brought in, or
    // only the losing version under the number it was of, which is then added to `losers`.
    bool bringsIn(const ConflictCopy &copy, std::vector<Above> &losers);
    // The records taken in that equal one numbered below them.
    std::vector<int> takenInTwice();
    void removeTakenInTwice();
    void settleAbove();
    // The steps of commit(), in their order.
    // 1. What the records brought in need: each its own number back, or a new one marked with it.
    std::vector<Claim> claimsOf(std::size_t size, const std::function<SiteRecord(std::size_t)> &recordAt,
                                const std::vector<int> *wanted, const std::vector<KeptFile> *kept);
    // 2. Whether any claim takes a new number, which the count then passes, with what lies above it.
    bool raisesTheCount(const std::vector<Claim> &claims) const;
    // 3. A claim for each copy that brings in a record; the losing versions that then go.
    std::vector<Above> claimCopies(std::vector<Claim> &claims);
    // 4. Writes the files, claims each its number from `firstNew` on, then writes the count above
    //    them all (`highest`); on a failure everything goes back as it was.
    OperationResult writeAndClaim(std::vector<Claim> &claims, const std::function<SiteRecord(std::size_t)> &recordAt,
                                  long long firstNew, bool raising, int &highest);
    // 5. What the register now holds, for the note of the sites.
    void noteClaims(const std::vector<Claim> &claims, bool raising);
    // 6. With every record and the count on disk: the copies and the losing versions go.
    void removeWhatCameIn(const std::vector<Above> &losers);
    // 7. Whether the folder is left clean: no copy and no file above the count.
    bool leftClean(bool raising) const;

    // Writes the files of the claims that have none yet, in groups of a few megabytes; a failure
    // names the file it was to become, counted from `firstNumber`.
    IoResult writeFiles(std::vector<Claim> &claims, const std::function<QByteArray(std::size_t)> &bytesAt,
                        long long firstNumber);
    // The rule of a record's number, all of it: its own back, where it wants one within the count,
    // none was found standing there, and its name is still free when claimed; else the first free
    // from `next` on. `next` starts above the count in force and every data file present (the
    // survey's highest, lowered by settleAbove() where it removed what a longer list left), and a
    // name found taken means the next number: nothing is ever replaced.
    IoResult claimNumber(Claim &claim, long long &next);
    // Undoes the claims made so far: written files go, kept files and copies get their names back.
    void giveBack(const std::vector<Claim> &claims);
    OperationResult overTheLimit() const;
    // Notes the records a copy of setting.ini brought within the count.
    void noteCountedIn();

    RegisterFolder &m_folder;
    RegisterOperation &m_operation;
    RecordCount &m_count;
    FolderSurvey m_survey;
    int m_countInForce = 0;
    // The count setting.ini itself gives, before any copy of it raised the count in force.
    int m_countOwn = 0;
    int m_countSeen = 0; // the highest count this computer has seen (see LocalState)
    QString m_countFile; // the file whose count is in force
    std::vector<Above> m_above;
    std::vector<ConflictCopy> m_copies;        // of data files, in name order
    std::vector<QByteArray> m_copyBytes;       // parallel to m_copies
    std::vector<ConflictCopy> m_settingCopies; // with a count or without
    std::vector<ConflictCopy> m_farCounts;     // setting.ini's own count, where it lies far above the files
    std::size_t m_farFiles = 0;                // data files far above the rest, readable or not
    const SiteList *m_inMemory = nullptr;
    int m_inMemoryCount = 0;
    bool m_registerLearnt = false;
    QSet<QByteArray> m_known;             // texts of records read from disk and brought in
    QHash<QByteArray, int> m_inMemoryKeys; // texts of the caller's records, by number
    QHash<QByteArray, int> m_lowest;       // the lowest number of each text in the register
    std::vector<std::pair<int, QByteArray>> m_markedTakenIn; // number and texts
    std::vector<int> m_removedTwice;
    std::vector<QString> m_staleKept;
    std::vector<ConflictCopy> m_takenIn;
};
