// SiteRegister following what other programs change in the folder. A sync tool may bring ten
// thousand files at once: they are read a slice at a time, each slice short enough that a window's
// event loop keeps turning between them, under one lock and one reading of the count per slice.
#include "SiteRegister.h"

#include "ConflictCopyName.h"
#include "FarNumbers.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace {

// A count raised by more than this is followed by reading the files present, not by probing
// every number (a count of two billion with three files is three files).
constexpr int kMostProbes = 4096;

} // namespace

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

bool SiteRegister::followCount(QDeadlineTimer deadline)
{
    const Reading<RegisterCount> read = m_reader.count();
    if (!read) {
        if (isBusy(read.io))
            defer({QStringLiteral("setting.ini")});
        return true;
    }
    const int count = read.value.count;
    // A count far above the files is read as they allow; the take-in writes that count.
    if (read.value.far)
        scheduleTakeIn();
    if (read.value.damaged || m_damaged) {
        reloadAll();
        return true;
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
        return true;
    }
    std::vector<int> numbers;
    if (count - m_count > kMostProbes) {
        Reading<std::vector<int>> present = m_reader.presentNumbers(m_count);
        if (!present) {
            if (isBusy(present.io))
                defer({QStringLiteral("setting.ini")});
            return true;
        }
        numbers = std::move(present.value);
    } else {
        for (int number = m_count + 1; number > 0 && number <= count; ++number)
            numbers.push_back(number);
    }
    // Every record in the list is numbered at most m_count, so the new ones go at the end.
    SiteList added;
    int reached = m_count, taken = 0;
    bool cut = false;
    const IoResult io = m_reader.readEach(numbers, [&](int number, const IoResult &, const SiteRecord *record) {
        if (number > count)
            return false;
        if (record)
            added.push_back(*record, number);
        reached = number;
        cut = ++taken >= kLeastPerSlice && deadline.hasExpired() && number < count;
        return !cut;
    });
    if (!io) {
        // Followed as far as it could be read; the rest when the lock is free.
        if (isBusy(io))
            defer({QStringLiteral("setting.ini")});
        return true;
    }
    // Cut short, the list follows the count as far as it has read, and the rest comes next turn.
    m_count = cut ? reached : count;
    append(added);
    return !cut;
}

void SiteRegister::refresh(const QStringList &names)
{
    bool setting = false;
    std::vector<int> numbers;
    QStringList beside;
    if (!m_takeIn.isActive() && CopyTakeIn::anyCopy(names))
        scheduleTakeIn();
    for (const QString &name : names) {
        // A sync tool's working files come and go by the thousand while it brings files in; they
        // are none of the register's.
        if (IsSyncToolFile(name))
            continue;
        // A name made or removed elsewhere may differ in case from what the folder knew.
        m_folder.refreshName(name);
        if (name.compare(QLatin1String("setting.ini"), Qt::CaseInsensitive) == 0)
            setting = true;
        else if (const int number = DataFileNumber(name))
            numbers.push_back(number);
        else
            beside << name;
    }
    // A file far above the rest is never counted in: the take-in brings its record in, as a copy's.
    if (!m_takeIn.isActive() && std::any_of(numbers.begin(), numbers.end(), [this](int n) { return n - qint64(m_count) > kFarGap; }))
        scheduleTakeIn();
    if (!beside.isEmpty())
        emit besideFilesChanged(beside);
    if (m_damaged) {
        // Without a count every data file present belongs to the list: read it all again.
        if (setting || !numbers.empty())
            reloadAll();
        return;
    }
    m_following = m_following || setting;
    m_toRead.insert(numbers.begin(), numbers.end());
    readSome();
}

void SiteRegister::readSome()
{
    const Batch batch(*this);
    const QDeadlineTimer deadline(m_sliceMs);
    if (m_following)
        m_following = !followCount(deadline);
    // Numbers above the count the list follows are read by following it, if ever.
    m_toRead.erase(m_toRead.upper_bound(m_count), m_toRead.end());
    if (!m_following && !m_toRead.empty()) {
        const std::vector<int> numbers(m_toRead.begin(), m_toRead.end());
        int taken = 0;
        // Another program holds the lock: never waited for here, where the window's events
        // would wait too. What could not be read is read again shortly.
        std::vector<IoResult> passedOver;
        const IoResult io = m_reader.readEach(numbers, [&](int number, const IoResult &read, const SiteRecord *record) {
            m_toRead.erase(number);
            // A file that cannot be read now keeps the record the list has; it is not gone. A
            // link or the like in a record's place is no record, and is named.
            if (read)
                put(number, record ? std::optional<SiteRecord>(*record) : std::nullopt);
            else if (IsPassedOver(read))
                put(number, std::nullopt), passedOver.push_back(read);
            return ++taken < kLeastPerSlice || !deadline.hasExpired();
        });
        if (!passedOver.empty())
            emit filesPassedOver(passedOver);
        if (!io && isBusy(io)) {
            QStringList busy;
            for (int number : m_toRead)
                busy << DataFileName(number);
            m_toRead.clear();
            defer(busy);
        } else if (!io) {
            m_toRead.clear();
        }
    }
    if (m_following || !m_toRead.empty())
        m_slice.start();
}

void SiteRegister::refreshAll()
{
    if (m_watcher)
        scheduleTakeIn();
    emit besideFilesChanged({});
    const Reading<RegisterCount> count = m_reader.count();
    const bool damaged = count.value.damaged || m_damaged;
    Reading<std::vector<int>> present;
    IoResult io = count.io;
    if (io && !damaged) {
        present = m_reader.presentNumbers(0);
        io = present.io;
    }
    if (!io) {
        if (isBusy(io)) {
            m_pendingAll = true;
            defer({});
        }
        return;
    }
    if (damaged) {
        reloadAll();
        return;
    }
    // Every record the list holds, and every file within the count it follows, read again; the
    // count is followed first, so that records it brings in or drops are not read twice.
    for (std::size_t i = 0; i < m_sites.size(); ++i)
        m_toRead.insert(m_toRead.end(), m_sites.number(i));
    for (int number : present.value) {
        if (number <= m_count)
            m_toRead.insert(number);
    }
    m_following = true;
    readSome();
}

void SiteRegister::reloadAll()
{
    if (m_watcher)
        scheduleTakeIn();
    const Batch batch(*this);
    Reading<LoadedRegister> loaded = m_reader.load();
    if (!loaded) {
        if (isBusy(loaded.io)) {
            m_pendingAll = true;
            defer({});
        }
        return;
    }
    SiteList fresh = std::move(loaded.value.sites);
    const bool damaged = loaded.value.damaged;
    m_count = loaded.value.count;
    m_toRead.clear();
    m_following = false;

    // The numbers whose record differs, in both lists.
    std::vector<int> changed;
    std::size_t i = 0, j = 0;
    while (i < m_sites.size() || j < fresh.size()) {
        const int mine = i < m_sites.size() ? m_sites.number(i) : INT_MAX;
        const int theirs = j < fresh.size() ? fresh.number(j) : INT_MAX;
        if (mine == theirs) {
            if (!(m_sites.at(i) == fresh.at(j)) || !SameDates(m_sites.at(i), fresh.at(j)))
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
        m_sites = std::move(fresh);
        emit wasReset();
        m_changed = true;
        for (const int number : changed) {
            if (const long long at = m_sites.positionOf(number); at >= 0)
                watchForTwin(m_sites.at(std::size_t(at)));
        }
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
