// Putting deleted records back: at their own numbers where those are free, and through the very
// files their delete kept aside where those are still as it left them.
#include "RegisterFiles.h"

#include "RegisterOperation.h"

#include <algorithm>

OperationResult RegisterFiles::restore(int number, const SiteRecord &record)
{
    if (OperationResult refusal; RefusedAsUnstorable(record, m_folder.filePath(DataFileName(number)), number, refusal))
        return refusal;
    {
        RegisterOperation operation(m_folder, RegisterLock::Mode::Exclusive, m_lockWaitMs);
        RecordCount count;
        if (OperationResult ready = operation.startWriting(count, number); !ready.done())
            return ready;
        // Raising the count must not bring back files that lie above it: only a short way up,
        // over numbers that are all free, is the number taken back. A file that cannot be read
        // holds its number as any other does.
        bool free = number >= 1 && !operation.fileAt(number)
            && (number <= count.value || number - count.value <= kProbeLimit);
        for (int between = count.value + 1; free && between < number; ++between)
            free = !operation.fileAt(between);
        if (free) {
            if (IoResult made = operation.makeCountFile(count); !made)
                return Failed(made, number);
            if (IoResult written = operation.writeFresh(number, record); !written)
                return Failed(written, number);
            if (IoResult counted = operation.writeCount(count, std::max(number, count.value)); !counted) {
                // The record is not back until the count says so: without it, nothing changed.
                m_folder.remove(DataFileName(number));
                return Failed(counted, number);
            }
            return Outcome(OperationStatus::Done, number);
        }
    }
    return add(record);
}

OperationResult RegisterFiles::restoreMany(const std::vector<std::pair<int, SiteRecord>> &records,
                                           std::vector<int> &numbers, const std::vector<KeptFile> *kept)
{
    numbers.assign(records.size(), 0);
    for (const auto &[number, record] : records) {
        if (OperationResult refusal; RefusedAsUnstorable(record, m_folder.filePath(DataFileName(number)), number, refusal))
            return refusal;
    }
    RegisterOperation operation(m_folder, RegisterLock::Mode::Exclusive, m_lockWaitMs);
    RecordCount count;
    if (OperationResult ready = operation.startWriting(count, records.empty() ? 0 : records.front().first); !ready.done())
        return ready;
    // A number within the count whose file is free is taken back; every other record takes the
    // next number above the count, in the order given (the highest records deleted come back at
    // their own numbers that way, since the count was lowered below them).
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int number = records[i].first;
        if (number >= 1 && number <= count.value && !operation.fileAt(number))
            numbers[i] = number;
    }
    if (IoResult made = operation.makeCountFile(count); !made)
        return Failed(made, records.empty() ? 0 : records.front().first);
    // A kept file is the record's own file, flushed when it was written: renamed back, it costs
    // no write. One that another program changed or removed meanwhile is not trusted: the record
    // is written as for any other.
    std::vector<std::pair<QString, QString>> moves; // kept file, name
    std::vector<QString> stale;
    std::vector<std::pair<QString, QByteArray>> files;
    files.reserve(records.size());
    int next = count.value;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (numbers[i] == 0)
            numbers[i] = ++next;
        const KeptFile *file = kept && i < kept->size() && !(*kept)[i].name.isEmpty() ? &(*kept)[i] : nullptr;
        QByteArray bytes;
        bool exists = false;
        if (file && m_folder.read(file->name, bytes, exists) && exists && KeptDigest(bytes) == file->digest) {
            moves.emplace_back(file->name, DataFileName(numbers[i]));
            continue;
        }
        if (file && exists)
            stale.push_back(file->name);
        files.emplace_back(DataFileName(numbers[i]), FreshFileBytes(records[i].second));
    }
    std::size_t renamed = 0, replaced = 0;
    IoResult written = m_folder.renameAll(moves, renamed);
    // The written files are flushed, and the folder after them and the renames, before the count.
    if (written)
        written = m_folder.replaceUncounted(files, replaced);
    if (written)
        written = operation.writeCount(count, std::max(count.value, next));
    if (!written) {
        // Not back until the count says so: without it, nothing changed, and the kept files are
        // kept again.
        std::vector<std::pair<QString, QString>> back;
        for (std::size_t j = 0; j < renamed; ++j)
            back.emplace_back(m_folder.nameOnDisk(moves[j].second), moves[j].first);
        std::size_t returned = 0;
        m_folder.renameAll(back, returned);
        for (std::size_t j = 0; j < replaced; ++j)
            m_folder.remove(files[j].first, false);
        m_folder.flush();
        return Failed(written, records.front().first);
    }
    m_folder.discardAll(stale);
    return Outcome(OperationStatus::Done, numbers.empty() ? 0 : numbers.front());
}
