#include "RegisterFiles.h"

#include "FarNumbers.h"
#include "IncomingRecords.h"
#include "RegisterOperation.h"
#include "SiteDates.h"

#include <QHash>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>

namespace {

OperationResult foundElsewhere(RegisterFolder::Found found, int number)
{
    return Outcome(found == RegisterFolder::Found::Missing ? OperationStatus::RemovedElsewhere
                                                           : OperationStatus::ChangedElsewhere,
                   number);
}

} // namespace

QString DataFileName(int number)
{
    return QStringLiteral("data%1.ini").arg(number);
}

int DataFileNumber(const QString &name)
{
    constexpr int prefix = 4, suffix = 4; // "data", ".ini"
    if (name.size() <= prefix + suffix || name.size() > prefix + suffix + 10
        || !name.startsWith(QLatin1String("data"), Qt::CaseInsensitive)
        || !name.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive) || name[prefix] == u'0')
        return 0;
    long long number = 0;
    for (int i = prefix; i < name.size() - suffix; ++i) {
        if (name[i] < u'0' || name[i] > u'9')
            return 0;
        number = number * 10 + (name[i].unicode() - u'0');
    }
    return number > INT_MAX ? 0 : int(number);
}

bool IsPassedOver(const IoResult &read)
{
    return !read && (read.error == ELOOP || read.error == EISDIR || read.error == ENODEV || read.error == EFBIG);
}

int ParseRecordCount(const QByteArray &text, bool *hasNumber)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (hasNumber)
        *hasNumber = i < text.size() && text[i] >= '0' && text[i] <= '9';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return int(negative ? -value : value);
}

RegisterFiles::RegisterFiles(RegisterFolder &folder, int lockWaitMs)
    : m_folder(folder)
    , m_lockWaitMs(lockWaitMs)
{
}

Reading<LoadedRegister> RegisterFiles::load()
{
    RegisterOperation operation(m_folder, RegisterLock::Mode::Shared, m_lockWaitMs);
    if (!operation.io() || !m_folder.exists())
        return {operation.io()};
    QStringList names;
    RecordCount count;
    if (IoResult listed = m_folder.list(names); !listed)
        return {listed};
    if (IoResult read = operation.readCount(count, &names); !read)
        return {read};

    // What interrupted writes left; no write runs while this shared lock is held.
    m_folder.sweep(names);
    std::vector<std::pair<int, QString>> present;
    for (const QString &name : std::as_const(names)) {
        if (const int number = DataFileNumber(name))
            present.emplace_back(number, name);
    }
    Reading<LoadedRegister> loaded;
    LoadedRegister &found = loaded.value;
    found.changedAt = operation.changedBefore();
    found.damaged = !count.readable && !present.empty();
    found.farCount = count.far() ? count.held : -1;
    // Without a count, every file a count could reach: not one numbered far above the rest.
    std::vector<int> numbers;
    for (const auto &entry : present)
        numbers.push_back(entry.first);
    const int limit = found.damaged ? ReachOf(std::move(numbers)) : count.value;
    present.erase(std::remove_if(present.begin(), present.end(), [limit](const auto &p) { return p.first > limit; }),
                  present.end());
    std::sort(present.begin(), present.end());
    found.sites.reserve(present.size());
    for (const auto &[number, name] : present) {
        // Two names for one number (data1.ini and DATA1.INI): the one Windows would open is not
        // knowable here, so the first in order stands, as before.
        if (!found.sites.empty() && found.sites.number(found.sites.size() - 1) == number)
            continue;
        SiteRecord record;
        bool exists = false;
        if (IoResult read = operation.readRecord(number, record, exists); IsPassedOver(read))
            found.passedOver.push_back(read);
        else if (!read)
            return {read};
        else if (exists)
            found.sites.push_back(record, number);
    }
    const int highest = found.sites.empty() ? 0 : found.sites.number(found.sites.size() - 1);
    found.count = std::max(count.readable ? count.value : 0, highest);
    return loaded;
}

Reading<std::optional<SiteRecord>> RegisterFiles::read(int number)
{
    Reading<std::optional<SiteRecord>> result;
    const IoResult locked = readEach({number}, [&](int, const IoResult &read, const SiteRecord *found) {
        result.io = read;
        if (found)
            result.value = *found;
        return true;
    });
    if (!locked)
        return {locked};
    return result;
}

Reading<RegisterCount> RegisterFiles::count()
{
    RegisterOperation operation(m_folder, RegisterLock::Mode::Shared, m_lockWaitMs);
    if (!operation.io() || !m_folder.exists())
        return {operation.io()};
    RecordCount read;
    if (IoResult io = operation.readCount(read); !io)
        return {io};
    if (read.readable)
        return {IoResult::success(), {read.value, false, read.far()}};
    // Only a count that cannot be read needs the folder listed, to see whether data files exist.
    const OperationResult writable = operation.writableCount(read);
    if (writable.status == OperationStatus::Failed)
        return {writable.io};
    return {IoResult::success(), {0, writable.status == OperationStatus::Damaged}};
}

OperationResult RegisterFiles::add(const SiteRecord &record)
{
    return addMany({record});
}

OperationResult RegisterFiles::addMany(const std::vector<SiteRecord> &records, std::vector<int> *numbers)
{
    return addMany(records.size(), [&records](std::size_t index) { return records[index]; }, numbers);
}

OperationResult RegisterFiles::addMany(std::size_t size, const std::function<SiteRecord(std::size_t index)> &given,
                                       std::vector<int> *numbers)
{
    // Every new record says when it came, in the one write that makes its file.
    const std::int64_t now = SiteClockNow();
    const auto recordAt = [&given, now](std::size_t index) { return StampedNew(given(index), now); };
    RegisterOperation operation(m_folder, RegisterLock::Mode::Exclusive, m_lockWaitMs);
    RecordCount count;
    if (OperationResult ready = operation.startWriting(count, 0); !ready.done())
        return ready;
    for (std::size_t i = 0; i < size; ++i) {
        const int number = int(std::min<qint64>(INT_MAX, qint64(count.value) + 1 + qint64(i)));
        if (OperationResult refusal; RefusedAsUnstorable(recordAt(i), m_folder.filePath(DataFileName(number)), 0, refusal))
            return refusal;
    }
    IncomingRecords incoming(m_folder, operation, count);
    if (OperationResult surveyed = incoming.survey(IncomingRecords::Copies::Leave); !surveyed.done())
        return surveyed;
    std::vector<int> placed;
    const OperationResult result = incoming.commit(size, recordAt, placed);
    if (numbers)
        *numbers = std::move(placed);
    return result;
}

OperationResult RegisterFiles::takeIn(std::vector<ConflictCopy> &takenIn, const SiteList *inMemory, int inMemoryCount,
                                      std::vector<int> *removedTwice)
{
    takenIn.clear();
    if (removedTwice)
        removedTwice->clear();
    // A folder that is not there holds no copies, and is not made for none.
    if (!m_folder.exists() && (!m_folder.open(RegisterFolder::Missing::ReadsEmpty) || !m_folder.exists()))
        return Outcome(OperationStatus::Done, 0);
    RegisterOperation operation(m_folder, RegisterLock::Mode::Exclusive, m_lockWaitMs);
    RecordCount count;
    if (OperationResult ready = operation.startWriting(count, 0); !ready.done())
        return ready;
    IncomingRecords incoming(m_folder, operation, count);
    if (OperationResult surveyed = incoming.survey(IncomingRecords::Copies::TakeIn, inMemory, inMemoryCount); !surveyed.done() || !incoming.anythingToTakeIn())
        return surveyed;
    std::vector<int> none;
    const OperationResult result = incoming.commit(0, {}, none);
    takenIn = incoming.takenIn();
    if (removedTwice)
        *removedTwice = incoming.removedTwice();
    return result;
}

OperationResult RegisterFiles::update(int number, const SiteRecord &record, const SiteRecord &seen)
{
    return updateIf(number, record, &seen);
}

OperationResult RegisterFiles::update(int number, const SiteRecord &record)
{
    return updateIf(number, record, nullptr);
}

OperationResult RegisterFiles::remove(int number, const SiteRecord &seen)
{
    return removeMany({{number, seen}});
}

OperationResult RegisterFiles::remove(int number)
{
    return removeIf({{number, SiteRecord()}}, false);
}

OperationResult RegisterFiles::removeMany(const std::vector<std::pair<int, SiteRecord>> &seen, std::vector<KeptFile> *kept)
{
    return removeIf(seen, true, kept);
}

OperationResult RegisterFiles::updateIf(int number, const SiteRecord &record, const SiteRecord *seen)
{
    if (OperationResult refusal; RefusedAsUnstorable(record, m_folder.filePath(DataFileName(number)), number, refusal))
        return refusal;
    RegisterOperation operation(m_folder, RegisterLock::Mode::Exclusive, m_lockWaitMs);
    RecordCount count;
    if (OperationResult ready = operation.startWriting(count, number); !ready.done())
        return ready;
    CheckedRecord checked;
    if (OperationResult found = operation.check(count, number, seen, checked); !found.done())
        return found;
    if (!record.WriteTo(checked.file))
        return operation.carryNote(Outcome(OperationStatus::Done, number));
    // The check and the replacement as one step: an edit made after the check is not lost.
    RegisterFolder::Found found = RegisterFolder::Found::Missing;
    if (IoResult written = m_folder.replaceIf(DataFileName(number), checked.file.serialize(), checked.bytes, found); !written)
        return Failed(written, number);
    if (found != RegisterFolder::Found::Expected)
        return foundElsewhere(found, number);
    operation.noteRecord(number, record.GetUrl());
    return operation.carryNote(Outcome(OperationStatus::Done, number));
}

OperationResult RegisterFiles::removeIf(const std::vector<std::pair<int, SiteRecord>> &seen, bool compare,
                                        std::vector<KeptFile> *kept)
{
    RegisterOperation operation(m_folder, RegisterLock::Mode::Exclusive, m_lockWaitMs);
    RecordCount count;
    if (OperationResult ready = operation.startWriting(count, seen.empty() ? 0 : seen.front().first); !ready.done())
        return ready;
    // Every record is checked before any is touched.
    std::vector<std::pair<int, QByteArray>> checkedBytes;
    for (const auto &[number, record] : seen) {
        CheckedRecord checked;
        if (OperationResult found = operation.check(count, number, compare ? &record : nullptr, checked); !found.done())
            return found;
        checkedBytes.emplace_back(number, checked.bytes);
    }
    std::sort(checkedBytes.begin(), checkedBytes.end());
    checkedBytes.erase(std::unique(checkedBytes.begin(), checkedBytes.end(),
                                   [](const auto &a, const auto &b) { return a.first == b.first; }),
                       checkedBytes.end());
    // Each file is moved aside, checked once more as it went, and removed only when the whole
    // operation, the count included, is done; until then any failure puts every one back.
    std::vector<std::pair<QString, QString>> aside; // temporary, name
    const auto putBack = [&] {
        for (const auto &[temporary, name] : aside)
            m_folder.putBack(temporary, name);
    };
    for (const auto &[number, bytes] : checkedBytes) {
        QString temporary;
        RegisterFolder::Found found = RegisterFolder::Found::Missing;
        const QString name = m_folder.nameOnDisk(DataFileName(number));
        IoResult moved = m_folder.moveAside(name, bytes, temporary, found, kept != nullptr);
        if (!moved || found != RegisterFolder::Found::Expected) {
            putBack();
            return moved ? foundElsewhere(found, number) : Failed(moved, number);
        }
        aside.emplace_back(temporary, name);
        operation.noteRecord(number, QByteArray());
    }
    // The count stays, whichever record went: a site deleted here and edited on another computer
    // comes back within it, and every reader passes over a number without a file.
    if (IoResult counted = operation.writeCount(count, count.value); !counted) {
        putBack();
        return Failed(counted, seen.front().first);
    }
    if (kept) {
        // Each number's file goes to the first record given with that number.
        QHash<int, std::size_t> at;
        for (std::size_t i = 0; i < checkedBytes.size(); ++i)
            at.insert(checkedBytes[i].first, i);
        kept->assign(seen.size(), KeptFile());
        for (std::size_t i = 0; i < seen.size(); ++i) {
            if (const auto found = at.find(seen[i].first); found != at.end()) {
                (*kept)[i] = {aside[*found].first, FileDigest(checkedBytes[*found].second)};
                at.erase(found);
            }
        }
        return operation.carryNote(Outcome(OperationStatus::Done, seen.empty() ? 0 : seen.front().first));
    }
    std::vector<QString> temporaries;
    temporaries.reserve(aside.size());
    for (const auto &entry : aside)
        temporaries.push_back(entry.first);
    m_folder.discardAll(temporaries);
    return operation.carryNote(Outcome(OperationStatus::Done, seen.empty() ? 0 : seen.front().first));
}

OperationResult RegisterFiles::repair(const std::function<void(int from, int to)> &beforeWriting)
{
    RegisterOperation operation(m_folder, RegisterLock::Mode::Exclusive, m_lockWaitMs);
    if (!operation.io())
        return Failed(operation.io());
    RecordCount count;
    if (IoResult read = operation.readCount(count); !read)
        return Failed(read);
    operation.dropUnfinishedBatch(count);
    QStringList names;
    if (IoResult listed = m_folder.list(names); !listed)
        return Failed(listed);
    // The highest data file a count reaches: one far above the rest is taken in afterwards, as a
    // copy is, never counted in.
    std::vector<int> numbers;
    for (const QString &name : std::as_const(names)) {
        if (const int number = DataFileNumber(name); number > 0 && operation.fileAt(number))
            numbers.push_back(number);
    }
    const int highest = ReachOf(std::move(numbers));
    if (beforeWriting)
        beforeWriting(count.readable ? count.value : -1, highest);
    if (IoResult counted = operation.writeCount(count, highest); !counted)
        return Failed(counted, highest);
    return Outcome(OperationStatus::Done, highest);
}
