#include "SiteRegister.h"

#include "RegisterWatcher.h"

#include <QSet>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace {

// Beyond this many changed records one reset is cheaper for a view than a signal per record.
constexpr int kMostSingleChanges = 512;
// A count raised by more than this is followed by reading the files present, not by probing
// every number (a count of two billion with three files is three files).
constexpr int kMostProbes = 4096;

} // namespace

SiteRegister::SiteRegister(const QByteArray &folderPath, QObject *parent)
    : QObject(parent)
    , m_folder(folderPath)
    , m_files(m_folder)
    , m_reader(m_folder, 0)
{
    m_intake.setSingleShot(true);
    connect(&m_intake, &QTimer::timeout, this, &SiteRegister::takeInCopies);
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &SiteRegister::retryPending);
}

SiteRegister::~SiteRegister() = default;

IoResult SiteRegister::open()
{
    if (const IoResult opened = m_folder.open(false); !opened)
        return opened;
    m_sites.clear();
    if (const IoResult loaded = m_files.load(m_sites, m_damaged); !loaded) {
        m_sites.clear();
        return loaded;
    }
    int count = 0;
    bool damaged = false;
    if (!m_damaged)
        m_files.count(count, damaged);
    m_count = std::max(count, m_sites.empty() ? 0 : m_sites.number(m_sites.size() - 1));
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
    if (m_folder.open(true) && m_watcher)
        m_watcher->watch(watchPath());
}

OperationResult SiteRegister::add(const SiteRecord &record)
{
    return addMany({record});
}

OperationResult SiteRegister::addMany(const std::vector<SiteRecord> &records)
{
    makeFolder();
    const OperationResult result = m_files.addMany(records);
    if (!result.done()) {
        takeOnDisk(result);
        return result;
    }
    // Following the count brings in the new records and any that other programs added before
    // them. The new ones are also put by number: when another program had lowered the count, their
    // numbers may lie below the count the list followed, where following does not look.
    followCount();
    for (std::size_t i = 0; i < records.size(); ++i)
        put(result.number + int(i), records[i]);
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
    const OperationResult result = m_files.update(number, record, seen);
    if (result.done())
        put(number, record);
    else
        takeOnDisk(result);
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

OperationResult SiteRegister::removeMany(const std::vector<std::pair<int, SiteRecord>> &seen)
{
    const OperationResult result = m_files.removeMany(seen);
    if (result.done()) {
        std::vector<int> numbers;
        numbers.reserve(seen.size());
        for (const auto &entry : seen)
            numbers.push_back(entry.first);
        std::sort(numbers.begin(), numbers.end());
        eraseNumbers(numbers);
        // Removing the highest record lowers the count.
        followCount();
    } else {
        takeOnDisk(result);
    }
    return result;
}

OperationResult SiteRegister::restoreMany(const std::vector<std::pair<int, SiteRecord>> &records,
                                          std::vector<int> &numbers)
{
    makeFolder();
    const OperationResult result = m_files.restoreMany(records, numbers);
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
        std::optional<SiteRecord> onDisk;
        const Read read = readRecord(result.number, onDisk);
        if (read == Read::Done)
            put(result.number, onDisk);
        else if (read == Read::Busy)
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

SiteRegister::Read SiteRegister::readRecord(int number, std::optional<SiteRecord> &record)
{
    SiteRecord read;
    bool exists = false;
    // A file that cannot be read now keeps the record the list has; it is not gone.
    if (const IoResult io = m_reader.read(number, read, exists); !io)
        return isBusy(io) ? Read::Busy : Read::Failed;
    record = exists ? std::optional<SiteRecord>(read) : std::nullopt;
    return Read::Done;
}

bool SiteRegister::isBusy(const IoResult &io)
{
    return !io.ok && io.error == EWOULDBLOCK;
}

void SiteRegister::defer(const QStringList &names)
{
    for (const QString &name : names)
        m_pending.insert(name);
    if (!m_retry.isActive())
        m_retry.start();
}

void SiteRegister::retryPending()
{
    if (m_pendingAll) {
        m_pendingAll = false;
        m_pending.clear();
        refreshAll();
        return;
    }
    const QStringList names(m_pending.begin(), m_pending.end());
    m_pending.clear();
    if (!names.isEmpty())
        refresh(names);
}

void SiteRegister::put(int number, const std::optional<SiteRecord> &record)
{
    const long long position = m_sites.positionOf(number);
    if (record) {
        if (position >= 0) {
            if (m_sites.at(std::size_t(position)) == *record)
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
    for (std::size_t i = 0; i < records.size(); ++i)
        m_sites.push_back(records.at(i), records.number(i));
    emit recordsInserted(first, last);
}

void SiteRegister::followCount()
{
    int count = 0;
    bool damaged = false;
    if (const IoResult io = m_reader.count(count, damaged); !io) {
        if (isBusy(io))
            defer({QStringLiteral("setting.ini")});
        return;
    }
    if (damaged || m_damaged) {
        refreshAll();
        return;
    }
    if (count < m_count) {
        const int first = int(m_sites.insertionPoint(count + 1)), last = int(m_sites.size()) - 1;
        m_count = count;
        if (first <= last) {
            emit recordsAboutToBeRemoved(first, last);
            while (int(m_sites.size()) > first)
                m_sites.erase(m_sites.size() - 1);
            emit recordsRemoved(first, last);
        }
        return;
    }
    if (count - m_count > kMostProbes) {
        refreshAll();
        return;
    }
    // Every record in the list is numbered at most m_count, so the new ones go at the end.
    SiteList added;
    for (int number = m_count + 1; number > 0 && number <= count; ++number) {
        std::optional<SiteRecord> record;
        const Read read = readRecord(number, record);
        if (read == Read::Busy) {
            // Followed as far as it could be read; the rest when the lock is free.
            count = number - 1;
            defer({QStringLiteral("setting.ini")});
            break;
        }
        if (read == Read::Done && record)
            added.push_back(*record, number);
    }
    m_count = count;
    append(added);
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
    scheduleIntake();
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

void SiteRegister::refresh(const QStringList &names)
{
    bool setting = false;
    std::vector<int> numbers;
    for (const QString &name : names) {
        // A name made or removed elsewhere may differ in case from what the folder knew.
        m_folder.refreshName(name);
        if (!m_intake.isActive() && ConflictIntake::anyCopy({name}))
            scheduleIntake();
        if (name.compare(QLatin1String("setting.ini"), Qt::CaseInsensitive) == 0)
            setting = true;
        else if (const int number = DataFileNumber(name))
            numbers.push_back(number);
    }
    if (m_damaged) {
        // Without a count every data file present belongs to the list: read it all again.
        if (setting || !numbers.empty())
            refreshAll();
        return;
    }
    if (setting)
        followCount();
    std::sort(numbers.begin(), numbers.end());
    QStringList busy;
    for (int number : numbers) {
        if (m_damaged || number > m_count)
            continue;
        std::optional<SiteRecord> record;
        // Another program holds the lock: never waited for here, where the window's events
        // would wait too. What could not be read is read again shortly.
        const Read read = busy.isEmpty() ? readRecord(number, record) : Read::Busy;
        if (read == Read::Done)
            put(number, record);
        else if (read == Read::Busy)
            busy << DataFileName(number);
    }
    if (!busy.isEmpty())
        defer(busy);
}

void SiteRegister::refreshAll()
{
    if (m_watcher)
        scheduleIntake();
    SiteList fresh;
    bool damaged = false;
    if (const IoResult io = m_reader.load(fresh, damaged); !io) {
        if (isBusy(io)) {
            m_pendingAll = true;
            defer({});
        }
        return;
    }
    int count = 0;
    bool unused = false;
    if (!damaged)
        m_reader.count(count, unused);
    m_count = std::max(count, fresh.empty() ? 0 : fresh.number(fresh.size() - 1));

    // The numbers whose record differs, in both lists.
    std::vector<int> changed;
    std::size_t i = 0, j = 0;
    while (i < m_sites.size() || j < fresh.size()) {
        const int mine = i < m_sites.size() ? m_sites.number(i) : INT_MAX;
        const int theirs = j < fresh.size() ? fresh.number(j) : INT_MAX;
        if (mine == theirs) {
            if (!(m_sites.at(i) == fresh.at(j)))
                changed.push_back(mine);
            ++i, ++j;
        } else if (mine < theirs) {
            changed.push_back(mine), ++i;
        } else {
            changed.push_back(theirs), ++j;
        }
    }
    if (int(changed.size()) > kMostSingleChanges) {
        emit aboutToBeReset();
        m_sites = fresh;
        emit wasReset();
    } else {
        for (int number : changed) {
            const long long at = fresh.positionOf(number);
            put(number, at >= 0 ? std::optional<SiteRecord>(fresh.at(std::size_t(at))) : std::nullopt);
        }
    }
    if (damaged != m_damaged) {
        m_damaged = damaged;
        emit damageChanged(damaged);
    }
}
