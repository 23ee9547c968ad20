#include "ConflictIntake.h"

#include "ConflictCopyName.h"
#include "IniDocument.h"
#include "RegisterFolder.h"
#include "RegisterLock.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <map>
#include <optional>

namespace {

const QString kSettingFile = QStringLiteral("setting.ini");
const QByteArray kSettingSection = QByteArrayLiteral("SETTING");
const QByteArray kCountKey = QByteArrayLiteral("DATA_CNT");

bool isSetting(const QString &name)
{
    return name.compare(kSettingFile, Qt::CaseInsensitive) == 0;
}

// The six texts as one key: equal records, equal keys (no text can hold a NUL).
QByteArray textsKey(const SiteRecord &r)
{
    return r.m_name + '\0' + r.m_url + '\0' + r.m_keyword1 + '\0' + r.m_keyword2 + '\0' + r.m_keyword3 + '\0'
        + r.m_content;
}

// A count as setting.ini holds one, or -1 when it holds none.
int countOf(const IniDocument &file)
{
    bool hasNumber = false;
    const int value = ParseRecordCount(file.value(kSettingSection, kCountKey), &hasNumber);
    return hasNumber && value >= 0 ? value : -1;
}

OperationResult outcome(OperationStatus status, const IoResult &io = {}, int number = 0)
{
    OperationResult result;
    result.status = status;
    result.io = io;
    result.number = number;
    return result;
}

} // namespace

bool ConflictCopy::isCount() const
{
    return isSetting(original);
}

// What the folder holds, read by one who may hold the lock: the copies, setting.ini, and the
// records within the count in force.
class ConflictIntake::Scan
{
public:
    explicit Scan(RegisterFolder &folder) : m_folder(folder) {}

    // Records numbered below `readFrom` are not read (the caller knows them already).
    IoResult read(int readFrom = 1)
    {
        QStringList names;
        if (IoResult listed = m_folder.list(names); !listed)
            return listed;
        names.sort(); // the same order on every computer
        std::map<int, QString> dataFiles;
        for (const QString &name : std::as_const(names)) {
            const ConflictCopyName copy = ConflictCopyName::parse(name);
            if (copy.isCopy() && (isSetting(copy.original) || DataFileNumber(copy.original) > 0)) {
                ConflictCopy found;
                found.file = name;
                found.original = copy.original;
                copies.push_back(found);
            } else if (const int number = DataFileNumber(name))
                dataFiles.emplace(number, name); // the first of two spellings, as a load takes it
        }
        if (copies.empty())
            return IoResult::success();
        QByteArray bytes;
        if (IoResult read = m_folder.read(kSettingFile, bytes, settingExists); !read)
            return read;
        setting = IniDocument::parse(bytes);
        count = countOf(setting);
        damaged = count < 0 && !dataFiles.empty();
        countInForce = std::max(count, 0);
        for (ConflictCopy &copy : copies) {
            bool exists = false;
            // A copy that cannot be read (or went meanwhile) stays as it is: nothing is known of it.
            if (!m_folder.read(copy.file, bytes, exists) || !exists) {
                copy.file.clear();
                continue;
            }
            const IniDocument file = IniDocument::parse(bytes);
            if (copy.isCount()) {
                copy.count = countOf(file);
                countInForce = std::max(countInForce, copy.count);
            } else {
                copy.record.ReadFrom(file);
            }
        }
        copies.erase(std::remove_if(copies.begin(), copies.end(), [](const ConflictCopy &c) { return c.file.isEmpty(); }),
                     copies.end());
        for (auto it = dataFiles.lower_bound(readFrom); it != dataFiles.end() && it->first <= countInForce; ++it) {
            SiteRecord record;
            bool exists = false;
            if (IoResult read = readRecord(it->second, record, exists); !read)
                return read;
            if (exists)
                records.push_back(record, it->first);
        }
        return IoResult::success();
    }

    IoResult readRecord(const QString &name, SiteRecord &record, bool &exists)
    {
        QByteArray bytes;
        IoResult read = m_folder.read(name, bytes, exists);
        if (!read && (read.error == EISDIR || read.error == ENODEV)) {
            exists = false; // a folder, a pipe or a device in a data file's place is no record
            return IoResult::success();
        }
        if (read && exists)
            record.ReadFrom(IniDocument::parse(bytes));
        return read;
    }

    std::vector<ConflictCopy> copies;
    SiteList records; // within the count in force
    IniDocument setting;
    bool settingExists = false;
    bool damaged = false;
    int count = -1;
    int countInForce = 0;

private:
    RegisterFolder &m_folder;
};

ConflictIntake::ConflictIntake(RegisterFolder &folder, int lockWaitMs)
    : m_folder(folder)
    , m_lockWaitMs(lockWaitMs)
{
}

bool ConflictIntake::anyCopy(const QStringList &names)
{
    return std::any_of(names.begin(), names.end(), [](const QString &name) {
        const ConflictCopyName copy = ConflictCopyName::parse(name);
        return copy.isCopy() && (isSetting(copy.original) || DataFileNumber(copy.original) > 0);
    });
}

IoResult ConflictIntake::pending(const SiteList &sites, std::vector<ConflictCopy> &records, SiteList &aboveCount)
{
    records.clear();
    aboveCount.clear();
    if (!m_folder.exists())
        return IoResult::success();
    RegisterLock lock(m_folder, RegisterLock::Mode::Shared, m_lockWaitMs);
    if (lock.state() == RegisterLock::State::Busy)
        return lock.result();
    Scan scan(m_folder);
    if (IoResult read = scan.read(); !read || scan.copies.empty())
        return read;
    QSet<QByteArray> known;
    for (const SiteRecord &record : sites)
        known.insert(textsKey(record));
    for (std::size_t i = 0; i < scan.records.size(); ++i) {
        if (scan.records.number(i) > scan.count && sites.positionOf(scan.records.number(i)) < 0) {
            aboveCount.push_back(scan.records.at(i), scan.records.number(i));
            known.insert(textsKey(scan.records.at(i)));
        }
    }
    for (const ConflictCopy &copy : scan.copies) {
        if (!copy.isCount() && !known.contains(textsKey(copy.record))) {
            known.insert(textsKey(copy.record));
            records.push_back(copy);
        }
    }
    return IoResult::success();
}

OperationResult ConflictIntake::takeIn(std::vector<ConflictCopy> &takenIn, const SiteList *inMemory, int inMemoryCount)
{
    takenIn.clear();
    if (!m_folder.exists())
        return outcome(OperationStatus::Done);
    RegisterLock lock(m_folder, RegisterLock::Mode::Exclusive, m_lockWaitMs);
    if (lock.state() != RegisterLock::State::Locked)
        return outcome(lock.state() == RegisterLock::State::Busy ? OperationStatus::Busy : OperationStatus::Failed,
                       lock.result());
    Scan scan(m_folder);
    if (IoResult read = scan.read(inMemory ? inMemoryCount + 1 : 1); !read)
        return outcome(OperationStatus::Failed, read);
    if (scan.copies.empty())
        return outcome(OperationStatus::Done);
    if (scan.damaged)
        return outcome(OperationStatus::Damaged);

    QSet<QByteArray> known;
    for (const SiteRecord &record : scan.records)
        known.insert(textsKey(record));
    // The records the caller holds are looked at on disk only where one equals a copy.
    QHash<QByteArray, int> remembered;
    if (inMemory) {
        for (std::size_t i = 0; i < inMemory->size() && inMemory->number(i) <= inMemoryCount; ++i)
            remembered.insert(textsKey(inMemory->at(i)), inMemory->number(i));
    }
    const auto isKnown = [&](const SiteRecord &record) {
        const QByteArray key = textsKey(record);
        if (known.contains(key))
            return true;
        const auto it = remembered.constFind(key);
        if (it == remembered.constEnd())
            return false;
        SiteRecord onDisk;
        bool exists = false;
        if (!scan.readRecord(DataFileName(it.value()), onDisk, exists) || !exists || textsKey(onDisk) != key)
            return false;
        known.insert(key);
        return true;
    };
    const int firstNew = scan.countInForce + 1;
    int next = firstNew;
    // Written fresh above the count, where no reader looks until the count brings them in.
    const auto undoNewFiles = [&] {
        for (int number = firstNew; number < next; ++number)
            m_folder.remove(DataFileName(number), false);
        m_folder.flush();
    };
    for (ConflictCopy &copy : scan.copies) {
        if (copy.isCount()) {
            if (copy.count < 0)
                continue; // nothing to take from it: left for a person to look at
        } else if (!isKnown(copy.record)) {
            IniDocument file;
            copy.record.WriteTo(file);
            if (IoResult written = m_folder.replace(DataFileName(next), file.serialize()); !written) {
                undoNewFiles();
                return outcome(OperationStatus::Failed, written, next);
            }
            known.insert(textsKey(copy.record));
            copy.number = next++;
        }
        takenIn.push_back(copy);
    }
    const int newCount = next - 1;
    if (newCount != scan.count || !scan.settingExists) {
        scan.setting.setValue(kSettingSection, kCountKey, QByteArray::number(newCount));
        if (IoResult counted = m_folder.replace(kSettingFile, scan.setting.serialize()); !counted) {
            undoNewFiles();
            takenIn.clear();
            return outcome(OperationStatus::Failed, counted, firstNew);
        }
    }
    // Only now, with every record and the count on disk, do the copies go. One that cannot be
    // removed is taken in again by the next take-in, as equal to the record it became.
    IoResult removed;
    for (const ConflictCopy &copy : takenIn) {
        if (IoResult gone = m_folder.remove(copy.file, false); !gone && removed)
            removed = gone;
    }
    if (IoResult flushed = m_folder.flush(); !flushed && removed)
        removed = flushed;
    if (!removed)
        return outcome(OperationStatus::Failed, removed, firstNew);
    return outcome(OperationStatus::Done, {}, firstNew);
}
