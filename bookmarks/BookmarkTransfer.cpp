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
    QSaveFile out(path);
    const bool written = out.open(QIODevice::WriteOnly) && WriteBookmarks(sites, [&out](const QByteArray &piece) {
        return out.write(piece) == piece.size();
    });
    if (!written || !out.commit())
        return IoResult::failure(path, FileReason(out));
    return IoResult::success();
}
