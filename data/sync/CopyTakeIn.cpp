#include "CopyTakeIn.h"

#include "ConflictCopyName.h"
#include "FarNumbers.h"
#include "IncomingRecords.h"
#include "RegisterFolder.h"
#include "RegisterOperation.h"

#include <algorithm>

bool ConflictCopy::isCount() const
{
    return original.compare(QLatin1String("setting.ini"), Qt::CaseInsensitive) == 0;
}

CopyTakeIn::CopyTakeIn(RegisterFolder &folder, int lockWaitMs)
    : m_folder(folder)
    , m_lockWaitMs(lockWaitMs)
{
}

bool CopyTakeIn::anyCopy(const QStringList &names)
{
    return std::any_of(names.begin(), names.end(), [](const QString &name) {
        const ConflictCopyName copy = ConflictCopyName::parse(name);
        return copy.isCopy()
            && (copy.original.compare(QLatin1String("setting.ini"), Qt::CaseInsensitive) == 0 || DataFileNumber(copy.original) > 0);
    });
}

bool CopyTakeIn::anyFar(const QStringList &names, int count)
{
    std::vector<int> numbers{count};
    for (const QString &name : names) {
        if (const int number = DataFileNumber(name))
            numbers.push_back(number);
    }
    const int reach = ReachOf(numbers);
    return std::any_of(numbers.begin(), numbers.end(), [reach](int number) { return number > reach; });
}

IoResult CopyTakeIn::pending(const SiteList &sites, std::vector<ConflictCopy> &records, SiteList &aboveCount)
{
    records.clear();
    aboveCount.clear();
    if (!m_folder.exists())
        return IoResult::success();
    RegisterOperation operation(m_folder, RegisterLock::Mode::Shared, m_lockWaitMs);
    if (!operation.io())
        return operation.io();
    RecordCount count;
    if (IoResult read = operation.readCount(count); !read)
        return read;
    IncomingRecords incoming(m_folder, operation, count);
    if (OperationResult surveyed = incoming.survey(IncomingRecords::Copies::TakeIn, &sites, count.value); !surveyed.done())
        return surveyed.io;
    incoming.preview(records, aboveCount);
    return IoResult::success();
}
