// RegisterFiles reading many records at once, for a program that follows what others change:
// one lock and one reading of the count for all of them, not one for each.
#include "RegisterFiles.h"

#include "RegisterOperation.h"

#include <algorithm>
#include <utility>

IoResult RegisterFiles::readEach(const std::vector<int> &numbers,
                                 const std::function<bool(int number, const IoResult &read, const SiteRecord *record)> &take)
{
    RegisterOperation operation(m_folder, RegisterLock::Mode::Shared, m_lockWaitMs);
    if (!operation.io())
        return operation.io();
    RecordCount count;
    if (IoResult read = operation.readCount(count); !read)
        return read;
    for (const int number : numbers) {
        SiteRecord record;
        bool exists = false;
        IoResult read = IoResult::success();
        if (number >= 1 && (!count.readable || number <= count.value))
            read = operation.readRecord(number, record, exists);
        if (!take(number, read, read && exists ? &record : nullptr))
            break;
    }
    return IoResult::success();
}

Reading<std::vector<int>> RegisterFiles::presentNumbers(int above)
{
    RegisterOperation operation(m_folder, RegisterLock::Mode::Shared, m_lockWaitMs);
    if (!operation.io() || !m_folder.exists())
        return {operation.io()};
    RecordCount count;
    if (IoResult read = operation.readCount(count); !read)
        return {read};
    QStringList names;
    if (IoResult listed = m_folder.list(names); !listed)
        return {listed};
    std::vector<int> numbers;
    for (const QString &name : std::as_const(names)) {
        const int number = DataFileNumber(name);
        if (number > above && (!count.readable || number <= count.value))
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return {IoResult::success(), std::move(numbers)};
}
