// RegisterFiles rewriting many records as one operation (a keyword renamed across the register,
// set on a selection): one lock and one reading of the count for all of them, each file checked
// and replaced as update() checks and replaces one.
#include "RegisterFiles.h"

#include "RegisterOperation.h"

OperationResult RegisterFiles::updateMany(const std::vector<RecordUpdate> &updates, std::vector<OperationStatus> *outcomes)
{
    std::vector<OperationStatus> statuses(updates.size(), OperationStatus::Failed);
    const auto finish = [&](const OperationResult &result) {
        if (outcomes)
            *outcomes = std::move(statuses);
        return result;
    };
    for (const RecordUpdate &update : updates) {
        if (OperationResult refusal; RefusedAsUnstorable(update.record, m_folder.filePath(DataFileName(update.number)),
                                                         update.number, refusal))
            return finish(refusal);
    }
    const int first = updates.empty() ? 0 : updates.front().number;
    RegisterOperation operation(m_folder, RegisterLock::Mode::Exclusive, m_lockWaitMs);
    RecordCount count;
    if (OperationResult ready = operation.startWriting(count, first); !ready.done())
        return finish(ready);
    for (std::size_t i = 0; i < updates.size(); ++i) {
        const RecordUpdate &update = updates[i];
        CheckedRecord checked;
        const OperationResult found = operation.check(count, update.number, &update.seen, checked);
        if (found.status == OperationStatus::ChangedElsewhere || found.status == OperationStatus::RemovedElsewhere) {
            statuses[i] = found.status;
            continue;
        }
        if (!found.done())
            return finish(found);
        if (update.record.WriteTo(checked.file)) {
            // The check and the replacement as one step, as for a single update: an edit made
            // after the check is put back, and this record is then left as that edit has it.
            RegisterFolder::Found replaced = RegisterFolder::Found::Missing;
            const QString name = DataFileName(update.number);
            if (IoResult written = m_folder.replaceIf(name, checked.file.serialize(), checked.bytes, replaced); !written)
                return finish(Failed(written, update.number));
            if (replaced != RegisterFolder::Found::Expected) {
                statuses[i] = replaced == RegisterFolder::Found::Missing ? OperationStatus::RemovedElsewhere
                                                                         : OperationStatus::ChangedElsewhere;
                continue;
            }
        }
        statuses[i] = OperationStatus::Done;
        operation.noteRecord(update.number, update.record.GetUrl());
    }
    return finish(operation.carryNote(Outcome(OperationStatus::Done, first)));
}
