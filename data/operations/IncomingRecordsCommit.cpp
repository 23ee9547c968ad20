// IncomingRecords' commit, step by step as README's "New numbers" tells it: what the records need,
// what lies above the count, the copies, write and claim, then the count, the notes and the copies.
#include "IncomingRecords.h"

#include "BatchJournal.h"
#include "ConflictCopyName.h"
#include "IniDocument.h"
#include "SiteTexts.h"

#include <algorithm>
#include <climits>

namespace {

// The bytes of new files written and made durable together.
constexpr qsizetype kGroupBytes = 16 * 1024 * 1024;

} // namespace

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

    std::vector<Claim> claims = claimsOf(size, recordAt, wanted, kept);
    const bool raising = raisesTheCount(claims);
    if (raising)
        settleAbove();
    const std::vector<Above> losers = claimCopies(claims);
    int highest = 0;
    // New numbers go above the count in force and above every data file present.
    const long long firstNew = (long long)std::max(m_countInForce, m_survey.highest) + 1;
    if (const OperationResult claimed = writeAndClaim(claims, recordAt, firstNew, raising, highest); !claimed.done())
        return claimed;

    for (std::size_t i = 0; i < size; ++i)
        numbers[i] = claims[i].number;
    for (std::size_t i = size; i < claims.size(); ++i)
        m_copies[claims[i].copy].number = claims[i].number;
    noteClaims(claims, raising);
    removeWhatCameIn(losers);
    const int first = size > 0 ? numbers[0] : (claims.empty() ? 0 : claims[0].number);
    return m_operation.leaveNote(Outcome(OperationStatus::Done, first), std::max(m_survey.highest, highest),
                                 leftClean(raising));
}

std::vector<IncomingRecords::Claim> IncomingRecords::claimsOf(std::size_t size,
                                                              const std::function<SiteRecord(std::size_t)> &recordAt,
                                                              const std::vector<int> *wanted,
                                                              const std::vector<KeptFile> *kept)
{
    std::vector<Claim> claims(size);
    for (std::size_t i = 0; i < size; ++i) {
        Claim &claim = claims[i];
        claim.wanted = wanted && i < wanted->size() ? (*wanted)[i] : 0;
        const KeptFile *file = kept && i < kept->size() && !(*kept)[i].name.isEmpty() ? &(*kept)[i] : nullptr;
        QByteArray bytes;
        bool exists = false;
        const bool keptAsLeft = file && m_folder.read(file->name, bytes, exists) && exists && FileDigest(bytes) == file->digest;
        // A record put back while another stands under its number (the other computer's change, or
        // its own undo of the same delete) goes under a new number, marked with its old one: should
        // the same texts come to stand there too, the two are one site put back twice.
        const bool wantedTaken = claim.wanted > 0 && claim.wanted <= m_countInForce
            && (m_survey.complete ? m_survey.dataFiles.count(claim.wanted) > 0
                                  : m_folder.occupied(m_folder.nameOnDisk(DataFileName(claim.wanted))));
        if (wantedTaken) {
            claim.mark = claim.wanted;
            if (keptAsLeft)
                claim.markedKept = bytes;
            if (file && exists)
                m_staleKept.push_back(file->name);
        } else if (keptAsLeft) {
            claim.source = Claim::Source::Kept;
            claim.name = file->name;
            claim.digest = file->digest;
            claim.url = recordAt(i).GetUrl();
        } else if (file && exists) {
            m_staleKept.push_back(file->name); // another program changed it: the record is written
        }
    }
    return claims;
}

bool IncomingRecords::raisesTheCount(const std::vector<Claim> &claims) const
{
    // A claim that cannot take back its own number takes a new one, and the count then passes every
    // file above it; a take-in of copies passes them too: what lies there is settled first, and a
    // copy is compared with what is counted in.
    return !m_copies.empty() || std::any_of(claims.begin(), claims.end(), [this](const Claim &claim) {
        return claim.wanted <= 0 || claim.wanted > m_countInForce || claim.mark;
    });
}

std::vector<IncomingRecords::Above> IncomingRecords::claimCopies(std::vector<Claim> &claims)
{
    std::vector<Above> losers;
    for (std::size_t i = 0; i < m_copies.size(); ++i) {
        if (!bringsIn(m_copies[i], losers))
            continue;
        Claim claim;
        claim.source = Claim::Source::Copy;
        claim.copy = i;
        claims.push_back(claim);
    }
    return losers;
}

OperationResult IncomingRecords::writeAndClaim(std::vector<Claim> &claims,
                                               const std::function<SiteRecord(std::size_t)> &recordAt,
                                               long long firstNew, bool raising, int &highest)
{
    if (firstNew - 1 + (long long)claims.size() > INT_MAX)
        return overTheLimit();
    // A data file without a count beside it reads as a damaged register.
    if (IoResult made = m_operation.makeCountFile(m_count); !made)
        return Failed(made);
    const auto bytesOf = [&](std::size_t i) {
        Claim &claim = claims[i];
        if (claim.source == Claim::Source::Copy) {
            const ConflictCopy &copy = m_copies[claim.copy];
            IniDocument file;
            copy.record.WriteTo(file);
            MarkInPlaceOf(file, DataFileNumber(copy.original));
            claim.url = copy.record.GetUrl();
            return file.serialize();
        }
        const SiteRecord record = recordAt(i);
        claim.url = record.GetUrl();
        if (!claim.mark)
            return FreshFileBytes(record);
        IniDocument file = IniDocument::parse(claim.markedKept ? *claim.markedKept : FreshFileBytes(record));
        MarkInPlaceOf(file, claim.mark);
        return file.serialize();
    };
    if (IoResult written = writeFiles(claims, bytesOf, firstNew); !written)
        return Failed(written);
    std::vector<QString> keptNames;
    std::vector<QByteArray> writtenDigests;
    for (const Claim &claim : claims)
        (claim.source == Claim::Source::Kept ? keptNames.push_back(claim.name) : writtenDigests.push_back(claim.digest));
    const auto dropWritten = [&](std::size_t from) {
        for (std::size_t i = from; i < claims.size(); ++i) {
            if (claims[i].source != Claim::Source::Kept)
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
        journal.begin(int(firstNew), writtenDigests);

    long long next = firstNew;
    std::size_t claimed = 0;
    IoResult io;
    while (claimed < claims.size() && (io = claimNumber(claims[claimed], next)))
        ++claimed;
    highest = raising ? std::max(m_countInForce, m_survey.highest) : m_countInForce;
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
        return Failed(io, claimed > 0 && claims[0].source != Claim::Source::Copy ? claims[0].number : 0);
    }
    journal.end();
    return Outcome(OperationStatus::Done, 0);
}

void IncomingRecords::noteClaims(const std::vector<Claim> &claims, bool raising)
{
    for (const Claim &claim : claims)
        m_operation.noteRecord(claim.number, claim.url);
    for (const Above &counted : m_above) {
        if (raising && m_survey.dataFiles.count(counted.number))
            m_operation.noteRecord(counted.number, counted.record.GetUrl());
    }
    noteCountedIn();
}

void IncomingRecords::removeWhatCameIn(const std::vector<Above> &losers)
{
    // Each only as it was read. A copy that cannot be removed is taken in again by the next take-in,
    // as equal to the record it became.
    for (std::size_t i = 0; i < m_copies.size(); ++i) {
        m_folder.removeIfHolds(m_copies[i].file, m_copyBytes[i]);
        m_takenIn.push_back(m_copies[i]);
    }
    for (const ConflictCopy &copy : m_settingCopies) {
        // One without a count is left for a person to look at.
        if (copy.count < 0)
            continue;
        m_folder.remove(copy.file, RegisterFolder::Flush::Later);
        m_takenIn.push_back(copy);
    }
    m_takenIn.insert(m_takenIn.end(), m_farCounts.begin(), m_farCounts.end());
    for (const Above &loser : losers) {
        // A winner that came meanwhile stays.
        if (m_folder.removeIfHolds(loser.name, loser.bytes))
            m_removedTwice.push_back(loser.number);
    }
    for (const int gone : m_removedTwice)
        m_operation.noteRecord(gone, QByteArray());
    m_folder.discardAll(m_staleKept);
    m_folder.flush();
}

bool IncomingRecords::leftClean(bool raising) const
{
    return (m_survey.complete ? m_survey.dataCopies.size() + m_farFiles == m_copies.size() : true)
        && std::all_of(m_settingCopies.begin(), m_settingCopies.end(), [](const ConflictCopy &c) { return c.count >= 0; })
        && (raising || m_above.empty());
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
            claim.digest = FileDigest(contents[j]);
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
        if (claim->source != Claim::Source::Kept) {
            // Removed only as it was written.
            m_folder.removeIfHolds(name, [&](const QByteArray &bytes) { return FileDigest(bytes) == claim->digest; });
        } else {
            // A kept file only changes its name back: whatever it holds is kept.
            bool taken = false;
            m_folder.claim(name, claim->name, taken);
        }
    }
    m_folder.flush();
}
