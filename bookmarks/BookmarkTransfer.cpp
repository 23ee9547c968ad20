#include "BookmarkTransfer.h"

#include "BookmarkExport.h"
#include "RegisterFolder.h"
#include "SaveFailure.h"


OperationResult WritePlannedImport(const BookmarkImport &planned, const RecordWriter &write)
{
    if (!planned.read.ok || planned.plan.records.empty())
        return {};
    return write(planned.plan.records);
}

IoResult SaveBookmarkFile(const SiteList &sites, const QString &path)
{
    return SaveWhole(path, [&sites](const auto &sink) { return WriteBookmarks(sites, sink); });
}
