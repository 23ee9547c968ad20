#include "RegisterOperation.h"

#include "BatchJournal.h"
#include "FarNumbers.h"
#include "FolderSurvey.h"
#include "LocalState.h"
#include "SiteDigestNote.h"
#include "SiteTexts.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cerrno>

namespace {

const QString kSettingFile = QStringLiteral("setting.ini");
const QByteArray kSettingSection = QByteArrayLiteral("SETTING");
const QByteArray kCountKey = QByteArrayLiteral("DATA_CNT");

} // namespace

int CountInSetting(const IniDocument &file)
{
    bool hasNumber = false;
    const int value = ParseRecordCount(file.value(kSettingSection, kCountKey), &hasNumber);
    return hasNumber && value >= 0 ? value : -1;
}

OperationResult Outcome(OperationStatus status, int number, const IoResult &io)
{
    OperationResult result;
    result.status = status;
    result.number = number;
    result.io = io;
    return result;
}

OperationResult Failed(const IoResult &io, int number)
{
    return Outcome(io.error == EWOULDBLOCK && !io.ok ? OperationStatus::Busy : OperationStatus::Failed, number, io);
}

QByteArray FreshFileBytes(const SiteRecord &record)
{
    IniDocument file;
    record.WriteTo(file);
    return file.serialize();
}

RegisterOperation::RegisterOperation(RegisterFolder &folder, RegisterLock::Mode mode, int lockWaitMs)
    : m_folder(folder)
{
    if (!m_folder.exists()) {
        m_io = m_folder.open(mode == RegisterLock::Mode::Exclusive ? RegisterFolder::Missing::Create : RegisterFolder::Missing::ReadsEmpty);
        if (!m_io)
            return;
    }
    if (!m_folder.exists())
        return; // nothing to lock: a missing folder reads as an empty register
    m_lock.emplace(m_folder, mode, lockWaitMs);
    if (m_lock->state() != RegisterLock::State::Locked)
        m_io = m_lock->result();
    else
        m_changedBefore = m_folder.changedAt();
}

std::optional<FolderNote> RegisterOperation::trustedNote() const
{
    const FolderNote note = ReadFolderNote(m_folder);
    if (m_changedBefore < 0 || note.stamp != m_changedBefore)
        return std::nullopt;
    return note;
}

OperationResult RegisterOperation::leaveNote(OperationResult result, int highest, bool clean, bool cased)
{
    result.changedBefore = m_changedBefore;
    result.changedAfter = m_folder.stampChange();
    WriteFolderNote(m_folder, {result.changedAfter, highest, clean, m_folder.hasCasedNames().value_or(cased)});
    keepSitesNote(result.changedAfter);
    return result;
}

void RegisterOperation::keepSitesNote(qint64 after)
{
    SiteDigestNote note(m_folder);
    if (m_everyRecord) {
        m_everyRecord->insert(m_everyRecord->end(), m_records.begin(), m_records.end());
        note.rebuild(std::move(*m_everyRecord), after);
    } else {
        note.changed(m_changedBefore, after, std::move(m_records));
    }
    m_records.clear();
    m_everyRecord.reset();
}

OperationResult RegisterOperation::carryNote(OperationResult result)
{
    if (const std::optional<FolderNote> note = trustedNote())
        return leaveNote(result, note->highest, note->clean, note->cased);
    result.changedBefore = m_changedBefore;
    result.changedAfter = m_folder.stampChange();
    keepSitesNote(result.changedAfter);
    return result;
}

OperationResult RegisterOperation::startWriting(RecordCount &count, int number)
{
    if (!m_io)
        return Failed(m_io, number);
    const OperationResult usable = writableCount(count);
    if (usable.done())
        dropUnfinishedBatch(count);
    return Outcome(usable.status, number, usable.io);
}

void RegisterOperation::dropUnfinishedBatch(const RecordCount &count)
{
    BatchJournal journal(m_folder);
    int first = 0;
    QSet<QByteArray> digests;
    if (!count.readable || !journal.unfinished(first, digests))
        return;
    if (!digests.isEmpty()) {
        FolderSurvey survey;
        if (!survey.take(m_folder))
            return; // the note stays for a writer that can look
        // Only files above the count that hold what the batch wrote: a file within the count is a
        // record, whoever made it, and one holding anything else is somebody else's.
        const auto written = [&digests](const QByteArray &bytes) { return digests.contains(FileDigest(bytes)); };
        for (auto it = survey.dataFiles.upper_bound(std::max(count.value, first - 1)); it != survey.dataFiles.end(); ++it)
            m_folder.removeIfHolds(it->second, written);
        m_folder.flush();
    }
    journal.drop();
}

IoResult RegisterOperation::readCount(RecordCount &count, const QStringList *listed)
{
    QByteArray bytes;
    if (IoResult read = m_folder.read(kSettingFile, bytes, count.fileExists); !read)
        return read;
    count.file = IniDocument::parse(bytes);
    count.value = std::max(CountInSetting(count.file), 0);
    count.held = count.value;
    count.readable = CountInSetting(count.file) >= 0;
    // A count within reach of 0 needs no look at the files, and neither does one this program's
    // last write left, while no other program has changed the folder since.
    const std::optional<FolderNote> note = count.value > kFarGap ? trustedNote() : std::nullopt;
    if (count.readable && count.value > kFarGap && !(note && count.value <= qint64(note->highest) + kFarGap)) {
        QStringList names;
        if (IoResult looked = listed ? IoResult::success() : m_folder.list(names); !looked)
            return looked;
        std::vector<int> numbers{count.value};
        for (const QString &name : listed ? *listed : names) {
            if (const int number = DataFileNumber(name))
                numbers.push_back(number);
        }
        count.value = std::min(count.value, ReachOf(std::move(numbers)));
    }
    // Only a count in reach is noted: what lies below one seen is taken for a longer list's leftover.
    if (count.readable)
        NoteCountSeen(m_folder, count.value);
    return IoResult::success();
}

OperationResult RegisterOperation::writableCount(RecordCount &count)
{
    if (IoResult read = readCount(count); !read)
        return Failed(read);
    if (count.readable)
        return Outcome(OperationStatus::Done, 0);
    QStringList names;
    if (IoResult listed = m_folder.list(names); !listed)
        return Failed(listed);
    const bool dataPresent = std::any_of(names.begin(), names.end(),
                                         [](const QString &name) { return DataFileNumber(name) > 0; });
    if (!dataPresent)
        return Outcome(OperationStatus::Done, 0);
    return Outcome(OperationStatus::Damaged, 0,
                   IoResult::failure(m_folder.filePath(m_folder.nameOnDisk(kSettingFile)),
                                     DataText::tr("登録件数（DATA_CNT）が読み取れないため、登録簿を変更できません。"
                                                  "sitekanri-cli repair で修復してください。")));
}

IoResult RegisterOperation::makeCountFile(RecordCount &count)
{
    if (count.fileExists)
        return IoResult::success();
    IoResult made = writeCount(count, count.value);
    count.fileExists = bool(made);
    return made;
}

IoResult RegisterOperation::writeCount(RecordCount &count, int value)
{
    if (!count.file.setValue(kSettingSection, kCountKey, QByteArray::number(value)) && count.fileExists)
        return m_folder.flush();
    return m_folder.replace(kSettingFile, count.file.serialize());
}

IoResult RegisterOperation::readRecord(int number, SiteRecord &record, bool &exists, CheckedRecord *checked)
{
    QByteArray bytes;
    IoResult read = m_folder.read(DataFileName(number), bytes, exists);
    if (!read || !exists)
        return read;
    IniDocument parsed = IniDocument::parse(bytes);
    record = SiteRecord();
    record.ReadFrom(parsed);
    if (checked) {
        checked->file = std::move(parsed);
        checked->bytes = std::move(bytes);
    }
    return read;
}

OperationResult RegisterOperation::check(const RecordCount &count, int number, const SiteRecord *seen,
                                         CheckedRecord &checked)
{
    if (number < 1 || number > count.value)
        return Outcome(OperationStatus::RemovedElsewhere, number);
    SiteRecord current;
    bool exists = false;
    if (IoResult read = readRecord(number, current, exists, &checked); !read)
        return Failed(read, number);
    if (!exists)
        return Outcome(OperationStatus::RemovedElsewhere, number);
    if (seen && !SameTexts(current, *seen))
        return Outcome(OperationStatus::ChangedElsewhere, number);
    return Outcome(OperationStatus::Done, number);
}

bool RegisterOperation::fileAt(int number) const
{
    return m_folder.occupied(DataFileName(number));
}

bool RefusedAsUnstorable(const SiteRecord &record, const QString &file, int number, OperationResult &refusal)
{
    const QString bad = record.UnstorableKey();
    if (!bad.isEmpty())
        refusal = Outcome(OperationStatus::Failed, number, UnstorableValueFailure(file, bad));
    return !bad.isEmpty();
}

QByteArray FileDigest(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}
