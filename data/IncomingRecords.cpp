#include "IncomingRecords.h"

#include "BatchJournal.h"
#include "ConflictCopyName.h"
#include "IniDocument.h"
#include "LocalState.h"
#include "SiteTexts.h"

#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace {

// The bytes of new files written and made durable together.
constexpr qsizetype kGroupBytes = 16 * 1024 * 1024;

} // namespace

IncomingRecords::IncomingRecords(RegisterFolder &folder, RegisterOperation &operation, RecordCount &count)
    : m_folder(folder)
    , m_operation(operation)
    , m_count(count)
{
}

void IncomingRecords::learnRegister()
{
    m_registerLearnt = true;
    const auto learn = [this](int number, const SiteRecord &record, QByteArray key) {
        if (!m_lowest.contains(key))
            m_lowest.insert(key, number);
        if (record.m_takenIn)
            m_markedTakenIn.emplace_back(number, key);
    };
    int fromDisk = 1;
    if (m_inMemory) {
        const int held = std::min(m_inMemoryCount, m_countInForce);
        for (std::size_t i = 0; i < m_inMemory->size() && m_inMemory->number(i) <= held; ++i) {
            const QByteArray key = TextsKey(m_inMemory->at(i));
            if (!m_inMemoryKeys.contains(key))
                m_inMemoryKeys.insert(key, m_inMemory->number(i));
            learn(m_inMemory->number(i), m_inMemory->at(i), key);
        }
        fromDisk = held + 1;
    }
    std::vector<std::pair<int, QByteArray>> urls; // of every record, when all are read: the sites' note anew
    for (auto it = m_survey.dataFiles.lower_bound(fromDisk); it != m_survey.dataFiles.end() && it->first <= m_countInForce; ++it) {
        SiteRecord record;
        bool exists = false;
        // One that cannot be read is no record to compare with: what equals it is kept.
        if (m_operation.readRecord(it->first, record, exists) && exists) {
            m_known.insert(TextsKey(record));
            learn(it->first, record, TextsKey(record));
            urls.emplace_back(it->first, record.m_url);
        }
    }
    if (!m_inMemory && m_survey.complete)
        m_operation.noteEveryRecord(std::move(urls));
}

std::vector<int> IncomingRecords::takenInTwice()
{
    if (!m_registerLearnt)
        learnRegister();
    std::vector<int> twice;
    for (const auto &[number, key] : m_markedTakenIn) {
        if (m_lowest.value(key, number) < number)
            twice.push_back(number);
    }
    return twice;
}

void IncomingRecords::removeTakenInTwice()
{
    for (const int number : takenInTwice()) {
        // Only as the files are now: the record, still marked, and the one below it that it equals.
        SiteRecord twice, first;
        CheckedRecord checked, firstChecked;
        bool exists = false, firstExists = false;
        if (!m_operation.readRecord(number, twice, exists, &checked) || !exists || !twice.m_takenIn)
            continue;
        const int lowest = m_lowest.value(TextsKey(twice), number);
        if (lowest >= number || !m_operation.readRecord(lowest, first, firstExists, &firstChecked) || !firstExists
            || !SameTexts(first, twice))
            continue;
        // Under the number the copy was of, the twin is the losing version the copy holds, on a
        // computer the winning one has not reached yet, marked or not (a record taken in there
        // before, which then lost a conflict): it goes, and the winner takes its number when it
        // comes (a change beats a deletion). Any other twin stays, and the copy goes.
        const bool loserAtItsNumber = twice.m_takenIn == lowest;
        const int goes = loserAtItsNumber ? lowest : number;
        if (m_folder.removeIfHolds(m_folder.nameOnDisk(DataFileName(goes)), (loserAtItsNumber ? firstChecked : checked).bytes))
            m_removedTwice.push_back(goes);
    }
}

bool IncomingRecords::known(const SiteRecord &record)
{
    if (!m_registerLearnt)
        learnRegister();
    const QByteArray key = TextsKey(record);
    if (m_known.contains(key))
        return true;
    const auto held = m_inMemoryKeys.constFind(key);
    if (held == m_inMemoryKeys.constEnd())
        return false;
    // What the caller holds may be older than the file: only the file tells.
    SiteRecord onDisk;
    bool exists = false;
    if (!m_operation.readRecord(*held, onDisk, exists) || !exists || TextsKey(onDisk) != key)
        return false;
    m_known.insert(key);
    return true;
}

bool IncomingRecords::bringsIn(const ConflictCopy &copy, std::vector<Above> &losers)
{
    // A copy that equals the record still standing under the number it was of is the losing version,
    // here on a computer the winning one has not reached yet (or where the winner was changed back):
    // dropped as known, it would be gone when the winner replaces that file. Its record is taken in
    // like any other, and the file under its number goes (the winner takes the number when it comes).
    const int origin = copy.far ? 0 : DataFileNumber(copy.original);
    SiteRecord standing;
    CheckedRecord checked;
    bool exists = false;
    const bool loser = origin > 0 && m_operation.readRecord(origin, standing, exists, &checked) && exists
        && SameTexts(standing, copy.record);
    if (loser)
        losers.push_back({origin, m_folder.nameOnDisk(DataFileName(origin)), checked.bytes, standing});
    if (!loser && known(copy.record))
        return false;
    m_known.insert(TextsKey(copy.record));
    return true;
}

void IncomingRecords::settleAbove()
{
    for (const Above &above : m_above) {
        // Only where the count was once higher can a file be what a longer list left: one above
        // every count seen here came before its own count, and a record equal to it here may be
        // an older version that is about to be replaced.
        if (above.number > m_countSeen || !known(above.record)) {
            m_known.insert(TextsKey(above.record));
            continue;
        }
        // Removed only as it was read: one that changed since is somebody's, and is counted in.
        if (m_folder.removeIfHolds(above.name, above.bytes))
            m_survey.dataFiles.erase(above.number);
    }
    // The new numbers go above what is left.
    if (m_survey.complete)
        m_survey.highest = m_survey.dataFiles.empty() ? 0 : m_survey.dataFiles.rbegin()->first;
}

OperationResult IncomingRecords::overTheLimit() const
{
    return Outcome(OperationStatus::Failed, 0,
                   IoResult::failure(m_folder.filePath(m_countFile), DataText::tr("登録件数が上限に達しています")));
}

IoResult IncomingRecords::writeFiles(std::vector<Claim> &claims, const std::function<QByteArray(std::size_t)> &bytesAt,
                                     long long firstNumber)
{
    std::vector<std::size_t> toWrite;
    for (std::size_t i = 0; i < claims.size(); ++i) {
        if (claims[i].name.isEmpty())
            toWrite.push_back(i);
    }
    // A group holds a few megabytes: the bytes of every file at once were as much memory again as
    // the records (twice the records for an import of long titles).
    for (std::size_t next = 0; next < toWrite.size();) {
        std::vector<QByteArray> contents;
        const std::size_t first = next;
        for (qsizetype bytes = 0; next < toWrite.size() && bytes < kGroupBytes; ++next) {
            contents.push_back(bytesAt(toWrite[next]));
            bytes += contents.back().size();
        }
        std::vector<QString> temporaries;
        if (IoResult written = m_folder.writeTemporaries(contents, temporaries); !written) {
            for (std::size_t j = 0; j < first; ++j)
                m_folder.discard(claims[toWrite[j]].name);
            // Named as the file it was to become.
            written.file = m_folder.filePath(DataFileName(int(std::min<long long>(INT_MAX, firstNumber + (long long)first))));
            return written;
        }
        for (std::size_t j = 0; j < contents.size(); ++j) {
            Claim &claim = claims[toWrite[first + j]];
            claim.name = temporaries[j];
            claim.digest = KeptDigest(contents[j]);
        }
    }
    return IoResult::success();
}

IoResult IncomingRecords::claimNumber(Claim &claim, long long &next)
{
    bool taken = true;
    // A number found taken already (`mark`) is not tried; one that looked free may have been taken
    // since, and the claim finds that out.
    if (claim.wanted > 0 && claim.wanted <= m_countInForce && !claim.mark) {
        if (IoResult claimed = m_folder.claim(claim.name, DataFileName(claim.wanted), taken); !claimed)
            return claimed;
        if (!taken) {
            claim.number = claim.wanted;
            return IoResult::success();
        }
    }
    while (next <= INT_MAX) {
        const int number = int(next++);
        if (IoResult claimed = m_folder.claim(claim.name, DataFileName(number), taken); !claimed)
            return claimed;
        if (!taken) {
            claim.number = number;
            return IoResult::success();
        }
    }
    return overTheLimit().io;
}

void IncomingRecords::giveBack(const std::vector<Claim> &claims)
{
    for (auto claim = claims.rbegin(); claim != claims.rend(); ++claim) {
        const QString name = m_folder.nameOnDisk(DataFileName(claim->number));
        if (!claim->kept) {
            // Removed only as it was written.
            m_folder.removeIfHolds(name, [&](const QByteArray &bytes) { return KeptDigest(bytes) == claim->digest; });
        } else {
            // A kept file only changes its name back: whatever it holds is kept.
            bool taken = false;
            m_folder.claim(name, claim->name, taken);
        }
    }
    m_folder.flush();
}

OperationResult IncomingRecords::commit(std::size_t size, const std::function<SiteRecord(std::size_t)> &recordAt,
                                        std::vector<int> &numbers, const std::vector<int> *wanted,
                                        const std::vector<KeptFile> *kept)
{
    numbers.assign(size, 0);
    m_takenIn.clear();
    // A count a record could not go above is a copy's mistake (or a hostile one), never taken.
    if (m_countInForce == INT_MAX)
        return overTheLimit();
    if (m_registerLearnt || !m_copies.empty())
        removeTakenInTwice();

    std::vector<Claim> claims(size);
    QHash<std::size_t, QByteArray> markedKept;
    for (std::size_t i = 0; i < size; ++i) {
        claims[i].wanted = wanted && i < wanted->size() ? (*wanted)[i] : 0;
        const KeptFile *file = kept && i < kept->size() && !(*kept)[i].name.isEmpty() ? &(*kept)[i] : nullptr;
        QByteArray bytes;
        bool exists = false;
        const bool keptAsLeft = file && m_folder.read(file->name, bytes, exists) && exists && KeptDigest(bytes) == file->digest;
        // A record put back while another stands under its number (the other computer's change, or
        // its own undo of the same delete) goes under a new number, marked with its old one: should
        // the same texts come to stand there too, the two are one site put back twice.
        const int wantedNumber = claims[i].wanted;
        const bool wantedTaken = wantedNumber > 0 && wantedNumber <= m_countInForce
            && (m_survey.complete ? m_survey.dataFiles.count(wantedNumber) > 0
                                  : m_folder.occupied(m_folder.nameOnDisk(DataFileName(wantedNumber))));
        if (wantedTaken) {
            claims[i].mark = wantedNumber;
            if (keptAsLeft)
                markedKept[i] = bytes; // written again with the mark; what else it held is kept
            if (file && exists)
                m_staleKept.push_back(file->name);
        } else if (keptAsLeft) {
            claims[i] = {true, file->name, file->digest, claims[i].wanted, 0, -1, 0, recordAt(i).m_url};
        } else if (file && exists) {
            m_staleKept.push_back(file->name); // another program changed it: the record is written
        }
    }
    // A claim that cannot take back its own number takes a new one, and the count then passes every
    // file above it; a take-in of copies passes them too: what lies there is settled first, and a
    // copy is compared with what is counted in.
    const bool raising = !m_copies.empty() || std::any_of(claims.begin(), claims.end(), [this](const Claim &claim) {
        return claim.wanted <= 0 || claim.wanted > m_countInForce || claim.mark;
    });
    if (raising)
        settleAbove();
    std::vector<Above> losersAtTheirNumber;
    for (std::size_t i = 0; i < m_copies.size(); ++i) {
        if (bringsIn(m_copies[i], losersAtTheirNumber))
            claims.push_back({false, QString(), QByteArray(), 0, 0, int(i), 0, QByteArray()});
    }
    const long long above = std::max(m_countInForce, m_survey.highest);
    if (above + (long long)claims.size() > INT_MAX)
        return overTheLimit();
    // A data file without a count beside it reads as a damaged register.
    if (IoResult made = m_operation.makeCountFile(m_count); !made)
        return Failed(made);
    const auto bytesOf = [&](std::size_t i) {
        if (claims[i].copy >= 0) {
            const ConflictCopy &copy = m_copies[std::size_t(claims[i].copy)];
            IniDocument file;
            copy.record.WriteTo(file);
            MarkTakenIn(file, DataFileNumber(copy.original));
            claims[i].url = copy.record.m_url;
            return file.serialize();
        }
        const SiteRecord record = recordAt(i);
        claims[i].url = record.m_url;
        if (!claims[i].mark)
            return FreshFileBytes(record);
        IniDocument file = IniDocument::parse(markedKept.contains(i) ? markedKept.value(i) : FreshFileBytes(record));
        MarkTakenIn(file, claims[i].mark);
        return file.serialize();
    };
    if (IoResult written = writeFiles(claims, bytesOf, above + 1); !written)
        return Failed(written);
    std::vector<QString> keptNames;
    std::vector<QByteArray> writtenDigests;
    for (const Claim &claim : claims)
        (claim.kept ? keptNames.push_back(claim.name) : writtenDigests.push_back(claim.digest));
    const auto dropWritten = [&](std::size_t from) {
        for (std::size_t i = from; i < claims.size(); ++i) {
            if (!claims[i].kept)
                m_folder.discard(claims[i].name);
        }
    };
    // A kept file another program wrote may not be on disk yet.
    if (IoResult durable = m_folder.makeDurable(keptNames); !durable) {
        dropWritten(0);
        return Failed(durable);
    }
    BatchJournal journal(m_folder);
    if (writtenDigests.size() > 1)
        journal.begin(int(above + 1), writtenDigests);

    long long next = above + 1;
    std::size_t claimed = 0;
    IoResult io;
    while (claimed < claims.size() && (io = claimNumber(claims[claimed], next)))
        ++claimed;
    int highest = raising ? std::max(m_countInForce, m_survey.highest) : m_countInForce;
    for (std::size_t i = 0; i < claimed; ++i)
        highest = std::max(highest, claims[i].number);
    // Every name the count brings in is durable before the count.
    if (io)
        io = m_folder.flush();
    if (io)
        io = m_operation.writeCount(m_count, highest);
    if (!io) {
        giveBack({claims.begin(), claims.begin() + std::ptrdiff_t(claimed)});
        dropWritten(claimed);
        journal.end();
        return Failed(io, size > 0 && claimed > 0 ? claims[0].number : 0);
    }
    journal.end();

    for (std::size_t i = 0; i < size; ++i)
        numbers[i] = claims[i].number;
    for (std::size_t i = size; i < claims.size(); ++i)
        m_copies[std::size_t(claims[i].copy)].number = claims[i].number;
    for (const Claim &claim : claims)
        m_operation.noteRecord(claim.number, claim.url);
    for (const Above &counted : m_above) {
        if (raising && m_survey.dataFiles.count(counted.number))
            m_operation.noteRecord(counted.number, counted.record.m_url);
    }
    noteCountedIn();
    // Only now, with every record and the count on disk, do the copies go, each only as it was
    // read. One that cannot be removed is taken in again by the next take-in, as equal to the
    // record it became.
    for (std::size_t i = 0; i < m_copies.size(); ++i) {
        m_folder.removeIfHolds(m_copies[i].file, m_copyBytes[i]);
        m_takenIn.push_back(m_copies[i]);
    }
    for (const ConflictCopy &copy : m_settingCopies) {
        // One without a count is left for a person to look at.
        if (copy.count < 0)
            continue;
        m_folder.remove(copy.file, false);
        m_takenIn.push_back(copy);
    }
    m_takenIn.insert(m_takenIn.end(), m_farCounts.begin(), m_farCounts.end());
    for (const Above &loser : losersAtTheirNumber) {
        // Removed only as it was read: a winner that came meanwhile stays.
        if (m_folder.removeIfHolds(loser.name, loser.bytes))
            m_removedTwice.push_back(loser.number);
    }
    for (const int gone : m_removedTwice)
        m_operation.noteRecord(gone, QByteArray());
    m_folder.discardAll(m_staleKept);
    m_folder.flush();
    // Clean when no copy and no file above the count is left.
    const bool clean = (m_survey.complete ? m_survey.dataCopies.size() + m_farFiles == m_copies.size() : true)
        && std::all_of(m_settingCopies.begin(), m_settingCopies.end(), [](const ConflictCopy &c) { return c.count >= 0; })
        && (raising || m_above.empty());
    return m_operation.leaveNote(Outcome(OperationStatus::Done, size > 0 ? numbers[0] : (claims.empty() ? 0 : claims[0].number)),
                                 std::max(m_survey.highest, highest), clean);
}
