#include "IncomingRecords.h"

#include "ConflictCopyName.h"
#include "IniDocument.h"
#include "LocalState.h"
#include "SiteTexts.h"

#include <QtGlobal>

#include <algorithm>
#include <climits>

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
        if (record.GetInPlaceOf())
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
            urls.emplace_back(it->first, record.GetUrl());
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
        if (!m_operation.readRecord(number, twice, exists, &checked) || !exists || !twice.GetInPlaceOf())
            continue;
        const int lowest = m_lowest.value(TextsKey(twice), number);
        if (lowest >= number || !m_operation.readRecord(lowest, first, firstExists, &firstChecked) || !firstExists
            || !SameTexts(first, twice))
            continue;
        // Under the number the copy was of, the twin is the losing version the copy holds, on a
        // computer the winning one has not reached yet, marked or not (a record taken in there
        // before, which then lost a conflict): it goes, and the winner takes its number when it
        // comes (a change beats a deletion). Any other twin stays, and the copy goes.
        const bool loserAtItsNumber = twice.GetInPlaceOf() == lowest;
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
