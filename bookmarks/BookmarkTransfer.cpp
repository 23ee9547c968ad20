#include "BookmarkTransfer.h"

#include "BookmarkExport.h"
#include "RegisterFolder.h"

#include <QSaveFile>

#include <algorithm>

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
        return IoResult::failure(path, out.errorString());
    return IoResult::success();
}

QStringList ShortImportSummary(const ImportPlan &plan, int detailLimit)
{
    QStringList lines = plan.summary();
    const int listed = int(plan.notImported.size() + plan.keywordsDropped.size());
    const int unlisted = plan.notImportedUnlisted + plan.keywordsDroppedUnlisted;
    const int counts = int(lines.size()) - listed - (unlisted > 0 ? 1 : 0);
    if (listed + unlisted > detailLimit) {
        const int shown = std::min(listed, detailLimit);
        lines.resize(counts + shown);
        lines << QString::fromUtf8("ほか %1 件").arg(listed + unlisted - shown);
    }
    return lines;
}
