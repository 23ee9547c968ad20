#include "RegisterFiles.h"

#include "IniDocument.h"
#include "RegisterFolder.h"
#include "RegisterLock.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>

namespace {

const QString kSettingFile = QStringLiteral("setting.ini");
const QByteArray kSettingSection = QByteArrayLiteral("SETTING");
const QByteArray kCountKey = QByteArrayLiteral("DATA_CNT");
// Temporaries of the replacements of earlier versions, removed by the next load.
const QString kOldTemporarySuffix = QStringLiteral(".sitekanri-tmp");
// How far a lowered count is looked for name by name before the folder is listed instead.
constexpr int kProbeLimit = 256;

// setting.ini as an operation reads it.
struct Count
{
    IniDocument file;
    bool fileExists = false;
    bool readable = false; // the count starts with a number that is not negative
    int value = 0;
};

// The six texts alike: what another program changed shows in them, not in m_valid.
bool sameTexts(const SiteRecord &a, const SiteRecord &b)
{
    return a.m_name == b.m_name && a.m_url == b.m_url && a.m_keyword1 == b.m_keyword1
        && a.m_keyword2 == b.m_keyword2 && a.m_keyword3 == b.m_keyword3 && a.m_content == b.m_content;
}

OperationResult outcome(OperationStatus status, int number, const IoResult &io = {})
{
    OperationResult result;
    result.status = status;
    result.number = number;
    result.io = io;
    return result;
}

OperationResult failed(const IoResult &io, int number = 0)
{
    return outcome(io.error == EWOULDBLOCK && !io.ok ? OperationStatus::Busy : OperationStatus::Failed, number, io);
}

// A record the format cannot hold is refused before anything is touched.
bool refusedAsUnstorable(const SiteRecord &record, const QString &file, int number, OperationResult &refusal)
{
    const QString bad = record.UnstorableKey();
    if (!bad.isEmpty())
        refusal = outcome(OperationStatus::Failed, number, UnstorableValueFailure(file, bad));
    return !bad.isEmpty();
}

// A record's file as a new record's file is written: the record and nothing else.
QByteArray FreshFileBytes(const SiteRecord &record)
{
    IniDocument file;
    record.WriteTo(file);
    return file.serialize();
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

class RegisterFiles::Operation
{
public:
    Operation(RegisterFiles &files, RegisterLock::Mode mode)
        : m_folder(files.m_folder)
    {
        if (!m_folder.exists()) {
            m_io = m_folder.open(mode == RegisterLock::Mode::Exclusive);
            if (!m_io)
                return;
        }
        if (!m_folder.exists())
            return; // nothing to lock: a missing folder reads as an empty register
        m_lock.emplace(m_folder, mode, files.m_lockWaitMs);
        // A shared lock that cannot be had in a read-only folder is no loss: nobody writes there.
        if (m_lock->state() == RegisterLock::State::Busy
            || (mode == RegisterLock::Mode::Exclusive && m_lock->state() != RegisterLock::State::Locked))
            m_io = m_lock->result();
    }

    IoResult io() const { return m_io; }

    // The lock and a count that may be written to, for an operation on record `number`.
    OperationResult startWriting(Count &count, int number)
    {
        if (!m_io)
            return failed(m_io, number);
        const OperationResult usable = writableCount(count);
        return outcome(usable.status, number, usable.io);
    }

    IoResult readCount(Count &count)
    {
        QByteArray bytes;
        if (IoResult read = m_folder.read(kSettingFile, bytes, count.fileExists); !read)
            return read;
        count.file = IniDocument::parse(bytes);
        bool hasNumber = false;
        count.value = ParseRecordCount(count.file.value(kSettingSection, kCountKey), &hasNumber);
        count.readable = hasNumber && count.value >= 0;
        if (!count.readable)
            count.value = 0;
        return IoResult::success();
    }

    // The count for a write; a count that cannot be read while data files exist refuses it.
    OperationResult writableCount(Count &count)
    {
        if (IoResult read = readCount(count); !read)
            return failed(read);
        if (count.readable)
            return outcome(OperationStatus::Done, 0);
        QStringList names;
        if (IoResult listed = m_folder.list(names); !listed)
            return failed(listed);
        const bool dataPresent = std::any_of(names.begin(), names.end(),
                                             [](const QString &name) { return DataFileNumber(name) > 0; });
        if (dataPresent)
            return outcome(OperationStatus::Damaged, 0, damage());
        return outcome(OperationStatus::Done, 0);
    }

    IoResult damage() const
    {
        return IoResult::failure(m_folder.filePath(m_folder.nameOnDisk(kSettingFile)),
                                 QStringLiteral("登録件数（DATA_CNT）が読み取れないため、登録簿を変更できません。"
                                                "sitekanri-cli repair で修復してください。"));
    }

    // The count, written last; the folder is flushed whether or not it changed.
    IoResult writeCount(Count &count, int value)
    {
        if (!count.file.setValue(kSettingSection, kCountKey, QByteArray::number(value)) && count.fileExists)
            return m_folder.flush();
        return m_folder.replace(kSettingFile, count.file.serialize());
    }

    // A record's file as it is now; a folder in its place counts as missing.
    IoResult readRecord(int number, SiteRecord &record, bool &exists, IniDocument *file = nullptr)
    {
        QByteArray bytes;
        IoResult read = m_folder.read(DataFileName(number), bytes, exists);
        if (!read && read.error == EISDIR) {
            exists = false;
            return IoResult::success();
        }
        if (!read || !exists)
            return read;
        IniDocument parsed = IniDocument::parse(bytes);
        record = SiteRecord();
        record.ReadFrom(parsed);
        if (file)
            *file = std::move(parsed);
        return read;
    }

    IoResult writeFresh(int number, const SiteRecord &record)
    {
        // The file's bytes are flushed before its rename, and the folder after it: not every
        // file system keeps renames in order (ext4 without a journal does not), and the count
        // written next must never reach the disk before the data file it counts.
        return m_folder.replace(DataFileName(number), FreshFileBytes(record), true);
    }

    // Whether `number` is within the count and its file holds `expected` (when given).
    OperationResult check(const Count &count, int number, const SiteRecord *expected, IniDocument *file = nullptr)
    {
        if (number < 1 || number > count.value)
            return outcome(OperationStatus::RemovedElsewhere, number);
        SiteRecord current;
        bool exists = false;
        if (IoResult read = readRecord(number, current, exists, file); !read)
            return failed(read, number);
        if (!exists)
            return outcome(OperationStatus::RemovedElsewhere, number);
        if (expected && !sameTexts(current, *expected))
            return outcome(OperationStatus::ChangedElsewhere, number);
        return outcome(OperationStatus::Done, number);
    }

    // The highest number below `below` that has a file, or 0.
    int highestBelow(int below)
    {
        const int floor = std::max(0, below - 1 - kProbeLimit);
        for (int number = below - 1; number > floor; --number) {
            if (fileAt(number))
                return number;
        }
        if (floor == 0)
            return 0;
        QStringList names;
        m_folder.list(names);
        int highest = 0;
        for (const QString &name : names) {
            const int number = DataFileNumber(name);
            if (number < below && number > highest && fileAt(number))
                highest = number;
        }
        return highest;
    }

    bool fileAt(int number)
    {
        bool exists = false;
        return readRecordExists(number, exists) && exists;
    }

private:
    bool readRecordExists(int number, bool &exists)
    {
        SiteRecord ignored;
        return bool(readRecord(number, ignored, exists));
    }

    RegisterFolder &m_folder;
    std::optional<RegisterLock> m_lock;
    IoResult m_io;
};

RegisterFiles::RegisterFiles(RegisterFolder &folder, int lockWaitMs)
    : m_folder(folder)
    , m_lockWaitMs(lockWaitMs)
{
}

IoResult RegisterFiles::load(SiteList &sites, bool &damaged)
{
    sites.clear();
    damaged = false;
    Operation operation(*this, RegisterLock::Mode::Shared);
    if (!operation.io())
        return operation.io();
    if (!m_folder.exists())
        return IoResult::success();
    QStringList names;
    if (IoResult listed = m_folder.list(names); !listed)
        return listed;
    Count count;
    if (IoResult read = operation.readCount(count); !read)
        return read;

    std::vector<std::pair<int, QString>> present;
    for (const QString &name : std::as_const(names)) {
        // What an interrupted write left; no write runs while this shared lock is held.
        if (name.endsWith(kOldTemporarySuffix) || name == RegisterFolder::temporaryName())
            m_folder.remove(name);
        else if (const int number = DataFileNumber(name))
            present.emplace_back(number, name);
    }
    damaged = !count.readable && !present.empty();
    const int limit = damaged ? INT_MAX : count.value;
    present.erase(std::remove_if(present.begin(), present.end(), [limit](const auto &p) { return p.first > limit; }),
                  present.end());
    std::sort(present.begin(), present.end());
    sites.reserve(present.size());
    for (const auto &[number, name] : present) {
        // Two names for one number (data1.ini and DATA1.INI): the one Windows would open is not
        // knowable here, so the first in order stands, as before.
        if (!sites.empty() && sites.number(sites.size() - 1) == number)
            continue;
        SiteRecord record;
        bool exists = false;
        if (IoResult read = operation.readRecord(number, record, exists); !read)
            return read;
        if (exists)
            sites.push_back(record, number);
    }
    return IoResult::success();
}

IoResult RegisterFiles::read(int number, SiteRecord &record, bool &exists)
{
    exists = false;
    Operation operation(*this, RegisterLock::Mode::Shared);
    if (!operation.io())
        return operation.io();
    Count count;
    if (IoResult read = operation.readCount(count); !read)
        return read;
    if (number < 1 || (count.readable && number > count.value))
        return IoResult::success();
    return operation.readRecord(number, record, exists);
}

IoResult RegisterFiles::count(int &count, bool &damaged)
{
    count = 0;
    damaged = false;
    Operation operation(*this, RegisterLock::Mode::Shared);
    if (!operation.io() || !m_folder.exists())
        return operation.io();
    Count read;
    if (IoResult io = operation.readCount(read); !io)
        return io;
    if (read.readable) {
        count = read.value;
        return IoResult::success();
    }
    // Only a count that cannot be read needs the folder listed, to see whether data files exist.
    const OperationResult writable = operation.writableCount(read);
    damaged = writable.status == OperationStatus::Damaged;
    return writable.status == OperationStatus::Failed ? writable.io : IoResult::success();
}

OperationResult RegisterFiles::add(const SiteRecord &record)
{
    return addMany({record});
}

OperationResult RegisterFiles::addMany(const std::vector<SiteRecord> &records)
{
    Operation operation(*this, RegisterLock::Mode::Exclusive);
    Count count;
    if (OperationResult ready = operation.startWriting(count, 0); !ready.done())
        return ready;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int number = count.value + 1 + int(i);
        if (OperationResult refusal; refusedAsUnstorable(records[i], m_folder.filePath(DataFileName(number)), 0, refusal))
            return refusal;
    }
    if (qint64(count.value) + qint64(records.size()) > INT_MAX)
        return outcome(OperationStatus::Failed, 0,
                       IoResult::failure(m_folder.filePath(kSettingFile), QStringLiteral("登録件数が上限に達しています")));
    const int first = count.value + 1;
    // The new files lie above the count, where no reader looks, until the count is written:
    // they are written together and made durable as one batch, which costs one wait for the
    // disk rather than one per file.
    std::vector<std::pair<QString, QByteArray>> files;
    files.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        files.emplace_back(DataFileName(first + int(i)), FreshFileBytes(records[i]));
    std::size_t replaced = 0;
    if (IoResult written = m_folder.replaceUncounted(files, replaced); !written) {
        // Files above the count are never read; removing them just keeps the folder tidy.
        for (std::size_t j = 0; j < replaced; ++j)
            m_folder.remove(files[j].first, false);
        return failed(written, first);
    }
    // The count last, once every file it brings in is on disk: a reader never counts a record
    // whose file is not there yet, or not yet durable.
    if (IoResult counted = operation.writeCount(count, count.value + int(records.size())); !counted)
        return failed(counted, first);
    return outcome(OperationStatus::Done, first);
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
    return removeIf(number, &seen);
}

OperationResult RegisterFiles::remove(int number)
{
    return removeIf(number, nullptr);
}

OperationResult RegisterFiles::removeMany(const std::vector<std::pair<int, SiteRecord>> &seen)
{
    OperationResult result;
    for (const auto &[number, record] : seen) {
        if (result = removeIf(number, &record); !result.done())
            return result;
    }
    return result;
}

OperationResult RegisterFiles::updateIf(int number, const SiteRecord &record, const SiteRecord *expected)
{
    if (OperationResult refusal; refusedAsUnstorable(record, m_folder.filePath(DataFileName(number)), number, refusal))
        return refusal;
    Operation operation(*this, RegisterLock::Mode::Exclusive);
    Count count;
    if (OperationResult ready = operation.startWriting(count, number); !ready.done())
        return ready;
    IniDocument file;
    if (OperationResult checked = operation.check(count, number, expected, &file); !checked.done())
        return checked;
    if (record.WriteTo(file)) {
        if (IoResult written = m_folder.replace(DataFileName(number), file.serialize()); !written)
            return failed(written, number);
    }
    return outcome(OperationStatus::Done, number);
}

OperationResult RegisterFiles::removeIf(int number, const SiteRecord *expected)
{
    Operation operation(*this, RegisterLock::Mode::Exclusive);
    Count count;
    if (OperationResult ready = operation.startWriting(count, number); !ready.done())
        return ready;
    if (OperationResult checked = operation.check(count, number, expected); !checked.done())
        return checked;
    if (IoResult removed = m_folder.remove(DataFileName(number), number != count.value); !removed)
        return failed(removed, number);
    if (number == count.value) {
        if (IoResult counted = operation.writeCount(count, operation.highestBelow(number)); !counted)
            return failed(counted, number);
    }
    return outcome(OperationStatus::Done, number);
}

OperationResult RegisterFiles::restore(int number, const SiteRecord &record)
{
    if (OperationResult refusal; refusedAsUnstorable(record, m_folder.filePath(DataFileName(number)), number, refusal))
        return refusal;
    {
        Operation operation(*this, RegisterLock::Mode::Exclusive);
        Count count;
        if (OperationResult ready = operation.startWriting(count, number); !ready.done())
            return ready;
        // Raising the count must not bring back files that lie above it: only a short way up,
        // over numbers that are all free, is the number taken back.
        bool free = number >= 1 && !operation.fileAt(number)
            && (number <= count.value || number - count.value <= kProbeLimit);
        for (int between = count.value + 1; free && between < number; ++between)
            free = !operation.fileAt(between);
        if (free) {
            if (IoResult written = operation.writeFresh(number, record); !written)
                return failed(written, number);
            if (IoResult counted = operation.writeCount(count, std::max(number, count.value)); !counted)
                return failed(counted, number);
            return outcome(OperationStatus::Done, number);
        }
    }
    return add(record);
}

OperationResult RegisterFiles::repair(const std::function<void(int from, int to)> &beforeWriting)
{
    Operation operation(*this, RegisterLock::Mode::Exclusive);
    if (!operation.io())
        return failed(operation.io());
    Count count;
    if (IoResult read = operation.readCount(count); !read)
        return failed(read);
    QStringList names;
    if (IoResult listed = m_folder.list(names); !listed)
        return failed(listed);
    int highest = 0;
    for (const QString &name : std::as_const(names)) {
        const int number = DataFileNumber(name);
        if (number > highest && operation.fileAt(number))
            highest = number;
    }
    if (beforeWriting)
        beforeWriting(count.readable ? count.value : -1, highest);
    if (IoResult counted = operation.writeCount(count, highest); !counted)
        return failed(counted, highest);
    return outcome(OperationStatus::Done, highest);
}
