#include "CliPublish.h"

#include "CliCommands.h"
#include "CliOutput.h"
#include "CliReport.h"
#include "CliText.h"
#include "CliUpload.h"
#include "LinkResults.h"
#include "LinkStatus.h"
#include "Publication.h"
#include "RegionCode.h"
#include "RegisterFolder.h"
#include "SiteClock.h"
#include "SiteList.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace {

QString samePath(const QString &path)
{
    const QFileInfo info(path);
    return info.canonicalFilePath().isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : info.canonicalFilePath();
}

// The pages named on the command line: as the list has them where it has them (a page of our own
// keeps its template and title), else as marked pages or folders.
std::vector<PageEntry> namedPages(const QStringList &paths, const PublishList &list)
{
    std::vector<PageEntry> entries;
    for (const QString &path : paths) {
        const auto listed = std::find_if(list.pages.begin(), list.pages.end(),
                                         [&](const PageEntry &entry) { return samePath(entry.path) == samePath(path); });
        if (listed != list.pages.end()) {
            entries.push_back(*listed);
        } else {
            PageEntry entry;
            entry.path = path;
            entries.push_back(entry);
        }
    }
    return entries;
}

QByteArray lineOf(const PublishedFile &file, bool dryRun)
{
    QString status, detail;
    switch (file.status) {
    case PublishedFile::Status::Changed:
        status = dryRun ? QStringLiteral("changes") : QStringLiteral("written");
        detail = DescribeChanges(file.changes);
        break;
    case PublishedFile::Status::Unchanged:
        status = QStringLiteral("unchanged");
        break;
    case PublishedFile::Status::Refused:
        status = QStringLiteral("refused");
        detail = file.reason;
        break;
    }
    QString line = status + QLatin1Char('\t') + QDir::toNativeSeparators(file.path);
    if (!detail.isEmpty())
        line += QLatin1Char('\t') + detail;
    return TerminalText(line.toUtf8(), OutputEncoding::Utf8) + '\n';
}

} // namespace

int RunPublish(const QCommandLineParser &parser, RegisterFolder &folder, const QStringList &paths)
{
    const PublishList list = PublishList::load(folder.path());
    const std::vector<PageEntry> entries = paths.isEmpty() ? list.pages : namedPages(paths, list);
    if (entries.empty())
        return CliFail(CliText::tr("公開するページがありません。ページを指定するか、ウィンドウの「公開」でページを選んでください。"));
    // Nowhere to send to is said before anything is written.
    const bool upload = parser.isSet(QStringLiteral("upload"));
    UploadServer server;
    if (QString problem; upload && !CliPublicationServer(list.server, server, problem))
        return CliFail(problem);
    SiteList sites;
    if (int code = CliLoadRegister(folder, sites))
        return code;
    // Read only when a region leaves the dead links out; a file that cannot be read leaves none out.
    std::optional<LinkResults> results;
    const auto dead = [&](const QByteArray &url) {
        if (!results) {
            results.emplace();
            if (!results->load(folder.filePath(LinkResults::kFileName)))
                WriteError(QStringLiteral("sitekanri-cli: ") + LinkResults::kFileName
                           + CliText::tr(" を読めないため、リンク切れを除かずに書きます。"));
        }
        const CheckedLink *checked = results->find(url);
        return checked && IsDeadLink(checked->result);
    };
    const LinkSource source(sites, dead, QDate::currentDate(), SiteClockNow());
    Publication publication = Publication::plan(entries, source);
    const bool dryRun = parser.isSet(QStringLiteral("dry-run"));
    if (!dryRun)
        publication.write();
    QByteArray out;
    for (const PublishedFile &file : publication.files()) {
        out += lineOf(file, dryRun);
        for (const QString &warning : file.warnings)
            WriteError(QStringLiteral("sitekanri-cli: ") + QDir::toNativeSeparators(file.path) + QStringLiteral(": ") + warning);
    }
    if (int code = CliWriteOut(out))
        return code;
    const int sent = upload ? CliUpload(server, publication, dryRun) : ExitOk;
    return publication.anyRefused() ? ExitFailure : sent;
}
