#include "BookmarkTransfer.h"

#include "BookmarkExport.h"
#include "FileReason.h"
#include "RegisterFolder.h"

#include <QSaveFile>


OperationResult WritePlannedImport(const BookmarkImport &planned, const RecordWriter &write)
{
    if (!planned.read.ok || planned.plan.records.empty())
        return {};
    return write(planned.plan.records);
}

IoResult SaveBookmarkFile(const SiteList &sites, const QString &path)
{
    const QByteArray bytes = ExportBookmarks(sites);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return IoResult::failure(path, FileReason(out));
    return IoResult::success();
}
