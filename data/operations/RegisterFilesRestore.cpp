// Putting deleted records back: at their own numbers where those are within the count and free,
// and through the very files their delete kept aside where those are still as it left them.
#include "RegisterFiles.h"

#include "IncomingRecords.h"
#include "RegisterOperation.h"

OperationResult RegisterFiles::restore(int number, const SiteRecord &record)
{
    std::vector<int> numbers;
    return restoreMany({{number, record}}, numbers);
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
    IncomingRecords incoming(m_folder, operation, count);
    if (OperationResult surveyed = incoming.survey(IncomingRecords::Copies::Leave); !surveyed.done())
        return surveyed;
    std::vector<int> wanted;
    wanted.reserve(records.size());
    for (const auto &entry : records)
        wanted.push_back(entry.first);
    return incoming.commit(
        records.size(), [&records](std::size_t i) { return records[i].second; }, numbers, &wanted, kept);
}
