#include "SiteRegister.h"

#include "RegisterWatcher.h"
#include "SiteTexts.h"

#include <QSet>

#include <algorithm>
#include <cerrno>
#include <climits>

SiteRegister::SiteRegister(const QByteArray &folderPath, QObject *parent)
    : QObject(parent)
    , m_folder(folderPath)
    , m_files(m_folder)
    , m_reader(m_folder, 0)
{
    m_takeIn.setSingleShot(true);
    connect(&m_takeIn, &QTimer::timeout, this, &SiteRegister::takeInCopies);
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &SiteRegister::retryPending);
    m_slice.setSingleShot(true);
    connect(&m_slice, &QTimer::timeout, this, &SiteRegister::readSome);
    const auto changed = [this] {
        m_changed = true;
        if (m_batches == 0)
            const Batch single(*this);
    };
    connect(this, &SiteRegister::recordsInserted, this, changed);
    connect(this, &SiteRegister::recordsRemoved, this, changed);
    connect(this, &SiteRegister::recordChanged, this, changed);
    connect(this, &SiteRegister::wasReset, this, changed);
}

SiteRegister::Batch::Batch(SiteRegister &owner)
    : m_owner(owner)
{
    ++m_owner.m_batches;
}

SiteRegister::Batch::~Batch()
{
    if (--m_owner.m_batches == 0 && m_owner.m_changed) {
        m_owner.m_changed = false;
        emit m_owner.listChanged();
    }
}

SiteRegister::~SiteRegister() = default;

IoResult SiteRegister::open()
{
    if (const IoResult opened = m_folder.open(RegisterFolder::Missing::ReadsEmpty); !opened)
        return opened;
    Reading<LoadedRegister> loaded = m_files.load();
    if (!loaded) {
        m_sites.clear();
        return loaded.io;
    }
    m_sites = std::move(loaded.value.sites);
    m_count = loaded.value.count;
    m_damaged = loaded.value.damaged;
    m_passedOver = std::move(loaded.value.passedOver);
    m_markedTexts.clear();
    for (const SiteRecord &record : m_sites)
        watchForTwin(record);
    return IoResult::success();
}

QString SiteRegister::settingPath() const
{
    return m_folder.filePath(m_folder.nameOnDisk(QStringLiteral("setting.ini")));
}

void SiteRegister::makeFolder()
{
    if (m_folder.exists())
        return;
    // The first record of a register nobody has written yet: its folder is made now.
    if (m_folder.open(RegisterFolder::Missing::Create) && m_watcher)
        m_watcher->watch(watchPath());
}

OperationResult SiteRegister::add(const SiteRecord &record)
{
    return addMany({record});
}

OperationResult SiteRegister::addMany(const std::vector<SiteRecord> &records, std::vector<int> *numbers)
{
    const Batch batch(*this);
    makeFolder();
    // Stamped here, so that the list holds the dates the files do.
    const std::int64_t now = SiteClockNow();
    std::vector<SiteRecord> stamped;
    stamped.reserve(records.size());
    for (const SiteRecord &record : records)
        stamped.push_back(StampedNew(record, now));
    std::vector<int> placed;
    const OperationResult result = m_files.addMany(stamped, &placed);
    if (!result.done()) {
        takeOnDisk(result);
        return result;
    }
    // Following the count brings in the new records, any that other programs added before them
    // and any files it counted in. The new ones are also put by number: when another program had
    // lowered the count, their numbers may lie below the count the list followed.
    followCount();
    for (std::size_t i = 0; i < stamped.size(); ++i)
        put(placed[i], stamped[i]);
    if (numbers)
        *numbers = std::move(placed);
    return result;
}

OperationResult SiteRegister::update(int number, const SiteRecord &record)
{
    const long long position = m_sites.positionOf(number);
    if (position < 0)
        return {OperationStatus::RemovedElsewhere, number, {}};
    return update(number, record, m_sites.at(std::size_t(position)));
}

OperationResult SiteRegister::update(int number, const SiteRecord &record, const SiteRecord &seen)
{
    const Batch batch(*this);
    const SiteRecord stamped = StampedEdit(record, seen);
    const OperationResult result = m_files.update(number, stamped, seen);
    if (result.done())
        put(number, stamped);
    else
        takeOnDisk(result);
    return result;
}

OperationResult SiteRegister::updateMany(const std::vector<RecordUpdate> &given, std::vector<OperationStatus> *outcomes,
                                         EditDates dates)
{
    const Batch batch(*this);
    std::vector<RecordUpdate> updates = given;
    if (dates == EditDates::Now) {
        const std::int64_t now = SiteClockNow();
        for (RecordUpdate &update : updates)
            update.record = StampedEdit(update.record, update.seen, now);
    }
    std::vector<OperationStatus> statuses;
    const OperationResult result = m_files.updateMany(updates, &statuses);
    if (result.status == OperationStatus::Damaged)
        takeOnDisk(result);
    std::vector<std::size_t> written;
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        if (statuses[i] == OperationStatus::Done)
            written.push_back(i);
        else if (statuses[i] != OperationStatus::Failed)
            takeOnDisk({statuses[i], updates[i].number, {}});
    }
    if (int(written.size()) > kMostSingleChanges) {
        emit aboutToBeReset();
        for (const std::size_t i : written) {
            if (const long long position = m_sites.positionOf(updates[i].number); position >= 0)
                m_sites.replace(std::size_t(position), updates[i].record);
        }
        emit wasReset();
    } else {
        for (const std::size_t i : written)
            put(updates[i].number, updates[i].record);
    }
    if (outcomes)
        *outcomes = std::move(statuses);
    return result;
}

OperationResult SiteRegister::remove(int number)
{
    const long long position = m_sites.positionOf(number);
    if (position < 0)
        return {OperationStatus::RemovedElsewhere, number, {}};
    return remove(number, m_sites.at(std::size_t(position)));
}

OperationResult SiteRegister::remove(int number, const SiteRecord &seen)
{
    return removeMany({{number, seen}});
}

OperationResult SiteRegister::removeMany(const std::vector<std::pair<int, SiteRecord>> &seen, std::vector<KeptFile> *kept)
{
    const Batch batch(*this);
    const OperationResult result = m_files.removeMany(seen, kept);
    if (result.done()) {
        std::vector<int> numbers;
        numbers.reserve(seen.size());
        for (const auto &entry : seen)
            numbers.push_back(entry.first);
        std::sort(numbers.begin(), numbers.end());
        eraseNumbers(numbers);
    } else {
        takeOnDisk(result);
    }
    return result;
}

OperationResult SiteRegister::restoreMany(const std::vector<std::pair<int, SiteRecord>> &records,
                                          std::vector<int> &numbers, const std::vector<KeptFile> *kept)
{
    const Batch batch(*this);
    makeFolder();
    const OperationResult result = m_files.restoreMany(records, numbers, kept);
    if (!result.done()) {
        takeOnDisk(result);
        return result;
    }
    std::vector<std::pair<int, const SiteRecord *>> placed;
    for (std::size_t i = 0; i < records.size(); ++i)
        placed.emplace_back(numbers[i], &records[i].second);
    std::sort(placed.begin(), placed.end());
    if (int(placed.size()) > kMostSingleChanges) {
        emit aboutToBeReset();
        SiteList merged;
        merged.reserve(m_sites.size() + placed.size());
        std::size_t i = 0, j = 0;
        while (i < m_sites.size() || j < placed.size()) {
            if (j == placed.size() || (i < m_sites.size() && m_sites.number(i) < placed[j].first)) {
                merged.push_back(m_sites.at(i), m_sites.number(i));
                ++i;
            } else {
                if (i < m_sites.size() && m_sites.number(i) == placed[j].first)
                    ++i; // the file written now stands for that number
                merged.push_back(*placed[j].second, placed[j].first);
                ++j;
            }
        }
        m_sites = std::move(merged);
        m_count = std::max(m_count, placed.back().first);
        emit wasReset();
    } else {
        for (const auto &[number, record] : placed) {
            if (number <= m_count)
                put(number, *record);
        }
    }
    followCount();
    return result;
}

void SiteRegister::eraseNumbers(const std::vector<int> &numbers)
{
    // Runs of neighbouring positions, from the last, so that earlier positions stay put.
    std::vector<std::pair<int, int>> runs;
    for (int number : numbers) {
        const long long at = m_sites.positionOf(number);
        if (at < 0)
            continue;
        if (!runs.empty() && runs.back().second + 1 == int(at))
            runs.back().second = int(at);
        else
            runs.emplace_back(int(at), int(at));
    }
    if (int(runs.size()) > kMostSingleChanges) {
        emit aboutToBeReset();
        m_sites.eraseRuns(runs);
        emit wasReset();
        return;
    }
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        emit recordsAboutToBeRemoved(run->first, run->second);
        m_sites.eraseRuns({*run});
        emit recordsRemoved(run->first, run->second);
    }
}

OperationResult SiteRegister::restore(int number, const SiteRecord &record)
{
    const Batch batch(*this);
    makeFolder();
    const OperationResult result = m_files.restore(number, record);
    if (!result.done())
        takeOnDisk(result);
    else if (result.number <= m_count)
        put(result.number, record);
    else
        followCount();
    return result;
}

void SiteRegister::takeOnDisk(const OperationResult &result)
{
    switch (result.status) {
    case OperationStatus::ChangedElsewhere:
    case OperationStatus::RemovedElsewhere: {
        // Never waits for the lock; a file that cannot be read now keeps the record the list
        // has (it is not gone).
        const Reading<std::optional<SiteRecord>> onDisk = m_reader.read(result.number);
        if (onDisk)
            put(result.number, onDisk.value);
        else if (isBusy(onDisk.io))
            defer({DataFileName(result.number)});
        break;
    }
    case OperationStatus::Damaged:
        if (!m_damaged)
            refreshAll();
        break;
    default:
        break;
    }
}

void SiteRegister::watchForTwin(const SiteRecord &record)
{
    // The take-in settles a record taken in or put back under a new number with its twin (see
    // IncomingRecords): one is due when either comes, whichever comes second.
    const QByteArray texts = TextsKey(record);
    if (record.GetInPlaceOf())
        m_markedTexts.insert(texts);
    if (m_markedTexts.contains(texts))
        scheduleTakeIn();
}

void SiteRegister::put(int number, const std::optional<SiteRecord> &record)
{
    const long long position = m_sites.positionOf(number);
    if (record) {
        watchForTwin(*record);
        if (position >= 0) {
            if (m_sites.at(std::size_t(position)) == *record && SameDates(m_sites.at(std::size_t(position)), *record))
                return;
            m_sites.replace(std::size_t(position), *record);
            emit recordChanged(int(position));
            return;
        }
        const int at = int(m_sites.insertionPoint(number));
        emit recordsAboutToBeInserted(at, at);
        m_sites.insert(*record, number);
        emit recordsInserted(at, at);
    } else if (position >= 0) {
        emit recordsAboutToBeRemoved(int(position), int(position));
        m_sites.erase(std::size_t(position));
        emit recordsRemoved(int(position), int(position));
    }
}

void SiteRegister::append(const SiteList &records)
{
    if (records.empty())
        return;
    const int first = int(m_sites.size()), last = first + int(records.size()) - 1;
    emit recordsAboutToBeInserted(first, last);
    for (std::size_t i = 0; i < records.size(); ++i) {
        watchForTwin(records.at(i));
        m_sites.push_back(records.at(i), records.number(i));
    }
    emit recordsInserted(first, last);
}

void SiteRegister::watch()
{
    if (!m_watcher) {
        m_watcher = new RegisterWatcher(this);
        connect(m_watcher, &RegisterWatcher::filesChanged, this, &SiteRegister::refresh);
        connect(m_watcher, &RegisterWatcher::everythingChanged, this, &SiteRegister::refreshAll);
    }
    if (m_folder.exists())
        m_watcher->watch(watchPath());
    scheduleTakeIn();
}

QString SiteRegister::watchPath() const
{
#ifdef Q_OS_LINUX
    // The folder we hold open, even when its path has since been renamed or replaced.
    if (m_folder.descriptor() >= 0)
        return QStringLiteral("/proc/self/fd/%1").arg(m_folder.descriptor());
#endif
    return m_folder.path();
}

