#include "BookmarkTransfer.h"

#include "BookmarkExport.h"
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
        return IoResult::failure(path, out.errorString());
    return IoResult::success();
}

QStringList ShortImportSummary(const ImportPlan &plan, int detailLimit)
{
    QStringList lines = plan.summary();
    const int counts = int(lines.size() - plan.notImported.size() - plan.keywordsDropped.size());
    const int details = int(lines.size()) - counts;
    if (details > detailLimit) {
        lines.resize(counts + detailLimit);
        lines << QString::fromUtf8("ほか %1 件").arg(details - detailLimit);
    }
    return lines;
}
