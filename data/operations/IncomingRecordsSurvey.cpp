// IncomingRecords' look at the folder before records come in: the count in force, what lies above
// it, the conflict copies to take in, and what lies far above the rest (see FarNumbers).
#include "IncomingRecords.h"

#include "ConflictCopyName.h"
#include "FarNumbers.h"
#include "IniDocument.h"
#include "LocalState.h"
#include "SiteTexts.h"

#include <algorithm>

namespace {

SiteRecord recordOf(const QByteArray &bytes)
{
    SiteRecord record;
    record.ReadFrom(IniDocument::parse(bytes));
    return record;
}

} // namespace

OperationResult IncomingRecords::survey(Copies copies, const SiteList *inMemory, int inMemoryCount)
{
    m_inMemory = inMemory;
    m_inMemoryCount = inMemoryCount;
    m_countInForce = m_count.value;
    m_countSeen = HighestCountSeen(m_folder);
    // Where nothing but this program has changed the folder since it left it clean, its note says
    // all a write needs: no folder of a hundred thousand names is listed for one new site.
    if (const std::optional<FolderNote> note = copies == Copies::TakeIn ? std::nullopt : m_operation.trustedNote(); note && note->clean) {
        m_survey = FolderSurvey();
        m_survey.highest = note->highest;
        m_survey.complete = false;
        if (!note->cased)
            m_folder.knowNoCasedNames();
        m_countFile = m_folder.nameOnDisk(QStringLiteral("setting.ini"));
        return Outcome(OperationStatus::Done, 0);
    }
    if (IoResult looked = m_survey.take(m_folder); !looked)
        return Failed(looked);
    m_countFile = m_folder.nameOnDisk(QStringLiteral("setting.ini"));
    // Every number that may lead on from 0: the counts and the data files.
    std::vector<int> chain;
    if (m_count.readable)
        chain.push_back(m_count.held);
    QByteArray bytes;
    bool exists = false;
    // A copy that cannot be read (or went meanwhile) stays as it is: nothing is known of it.
    for (const QString &name : m_survey.settingCopies) {
        if (!m_folder.read(name, bytes, exists) || !exists)
            continue;
        ConflictCopy copy;
        copy.file = name;
        copy.original = ConflictCopyName::parse(name).original;
        copy.count = CountInSetting(IniDocument::parse(bytes));
        if (copy.count >= 0)
            chain.push_back(copy.count);
        m_settingCopies.push_back(copy);
    }
    for (const auto &entry : m_survey.dataFiles)
        chain.push_back(entry.first);
    // The count in force is the highest of setting.ini's and its copies', as far as the files reach.
    const int reach = ReachOf(std::move(chain));
    m_count.value = std::min(m_count.value, reach);
    m_countInForce = std::min(m_count.readable ? m_count.held : 0, reach);
    m_countOwn = m_countInForce;
    for (ConflictCopy &copy : m_settingCopies) {
        if (std::min(copy.count, reach) > m_countInForce) {
            m_countInForce = std::min(copy.count, reach);
            m_countFile = copy.file;
        }
    }
    for (ConflictCopy &copy : m_settingCopies) {
        copy.far = copy.count > reach;
        copy.readAs = copy.far ? m_countInForce : -1;
    }
    if (m_count.readable && m_count.held > reach) {
        ConflictCopy count;
        count.file = count.original = m_folder.nameOnDisk(QStringLiteral("setting.ini"));
        count.count = m_count.held;
        count.far = true;
        count.readAs = m_countInForce;
        m_farCounts.push_back(count);
    }
    const std::vector<std::pair<int, QString>> far = m_survey.takeFar(reach);
    for (auto it = m_survey.dataFiles.upper_bound(m_countInForce); it != m_survey.dataFiles.end(); ++it) {
        const IoResult read = m_folder.read(it->second, bytes, exists);
        // A link, a folder, a pipe, a device or a file over the limit holds no record to compare:
        // it is never read through, and the register passes over it within the count too.
        if (!read && IsPassedOver(read))
            continue;
        if (!read)
            return Failed(read, it->first);
        if (exists)
            m_above.push_back({it->first, it->second, bytes, recordOf(bytes)});
    }
    const auto bring = [&](const QString &name, bool isFar) {
        if (!m_folder.read(name, bytes, exists) || !exists)
            return;
        ConflictCopy copy;
        copy.file = name;
        copy.original = isFar ? name : ConflictCopyName::parse(name).original;
        copy.far = isFar;
        copy.record = recordOf(bytes);
        m_copies.push_back(copy);
        m_copyBytes.push_back(bytes);
    };
    for (const QString &name : copies == Copies::TakeIn ? m_survey.dataCopies : std::vector<QString>())
        bring(name, false);
    // Whatever brings records in takes these in too: nothing else ever counts them, and one that
    // cannot be read (a link, a folder, a file over the limit) is left as it is.
    m_farFiles = far.size();
    for (const auto &[number, name] : far)
        bring(name, true);
    return Outcome(OperationStatus::Done, 0);
}

bool IncomingRecords::anythingToTakeIn()
{
    return !m_copies.empty() || !m_farCounts.empty()
        || std::any_of(m_settingCopies.begin(), m_settingCopies.end(), [](const ConflictCopy &c) { return c.count >= 0; })
        || !takenInTwice().empty();
}

void IncomingRecords::preview(std::vector<ConflictCopy> &records, SiteList &aboveCount)
{
    records.clear();
    aboveCount.clear();
    for (auto it = m_survey.dataFiles.upper_bound(m_count.value); it != m_survey.dataFiles.end() && it->first <= m_countInForce; ++it) {
        SiteRecord record;
        bool exists = false;
        if (m_operation.readRecord(it->first, record, exists) && exists) {
            aboveCount.push_back(record, it->first);
            m_known.insert(TextsKey(record));
        }
    }
    std::vector<Above> losers;
    for (const ConflictCopy &copy : m_copies) {
        if (bringsIn(copy, losers))
            records.push_back(copy);
    }
}

void IncomingRecords::noteCountedIn()
{
    // The records a copy of setting.ini brought within the count are the register's from now on,
    // and so the sites' note's.
    for (auto it = m_survey.dataFiles.upper_bound(m_countOwn); it != m_survey.dataFiles.end() && it->first <= m_countInForce; ++it) {
        SiteRecord record;
        bool exists = false;
        if (m_operation.readRecord(it->first, record, exists) && exists)
            m_operation.noteRecord(it->first, record.GetUrl());
    }
}
