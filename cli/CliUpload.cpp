#include "CliUpload.h"

#include "CliCommands.h"
#include "CliReport.h"
#include "CliTerminal.h"
#include "CliText.h"
#include "Publication.h"
#include "SecretKeeper.h"
#include "UploadRun.h"
#include "UploadSettings.h"

#include <QDir>
#include <QHash>

namespace {

// Where a file goes, as a person would name it: "~/public_html/blog/a.html".
QString placeOn(const UploadServer &server, const QString &remotePath)
{
    QString folder = server.folder;
    while (folder.endsWith(u'/'))
        folder.chop(1);
    return folder.isEmpty() ? remotePath : folder + u'/' + remotePath;
}

int writeLine(const QString &status, const QString &path, const QString &detail)
{
    const QString line = status + u'\t' + QDir::toNativeSeparators(path) + u'\t' + detail;
    return CliWriteOut(TerminalText(line.toUtf8(), OutputEncoding::Utf8) + '\n');
}

int writeLine(const UploadServer &server, const UploadItem &item, const UploadLine &line)
{
    switch (line.outcome) {
    case UploadOutcome::Sent:
        return writeLine(QStringLiteral("uploaded"), item.localPath, server.shown() + u' ' + placeOn(server, item.remotePath));
    case UploadOutcome::Unchanged:
        return writeLine(QStringLiteral("up-to-date"), item.localPath, server.shown() + u' ' + placeOn(server, item.remotePath));
    case UploadOutcome::Failed:
        return writeLine(QStringLiteral("upload-failed"), item.localPath, server.shown() + QStringLiteral(": ") + line.reason);
    case UploadOutcome::NotSent:
        return writeLine(QStringLiteral("not-uploaded"), item.localPath, server.shown() + QStringLiteral(": ") + line.reason);
    }
    return ExitOk;
}

int preview(const UploadServer &server, const QList<UploadItem> &items, const QList<QByteArray> &digests)
{
    const QList<bool> sending = UploadRun::wouldSend(server, items, digests);
    bool all = true;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const UploadItem &item = items[i];
        int code = ExitOk;
        if (item.remotePath.isEmpty()) {
            all = false;
            code = writeLine(QStringLiteral("not-uploaded"), item.localPath,
                             server.shown() + QStringLiteral(": ") + UploadRun::outsideReason(server));
        } else {
            code = writeLine(sending[i] ? QStringLiteral("would-upload") : QStringLiteral("up-to-date"), item.localPath,
                             server.shown() + u' ' + placeOn(server, item.remotePath));
        }
        if (code)
            return code;
    }
    return all ? ExitOk : ExitFailure;
}

} // namespace

bool CliPublicationServer(const QString &named, UploadServer &server, QString &problem)
{
    if (named.isEmpty()) {
        problem = CliText::tr("この登録簿の公開にはアップロード先がありません。ウィンドウの「公開…」の「ページの設定…」で、"
                                 "「アップロード先…」を設定してください。");
        return false;
    }
    server = UploadSettings::find(named);
    if (server.host.isEmpty())
        problem = CliText::tr("公開のアップロード先「%1」の設定がこのコンピューターにありません（%2）。")
                      .arg(named, QStringLiteral("~/.config/sitekanri/upload.ini"));
    else
        problem = server.problem();
    return problem.isEmpty();
}

int CliUpload(const UploadServer &server, const Publication &publication, bool dryRun)
{
    QStringList paths;
    QList<QByteArray> digests;
    for (const SiteFile &file : publication.filesToUpload(dryRun)) {
        paths << file.path;
        digests << file.digest;
    }
    const QList<UploadItem> items = UploadRun::itemsOf(server, paths);
    if (dryRun)
        return preview(server, items, digests);

    QHash<QString, UploadItem> byPlace; // a line names its file by its place, or its path when it has none
    for (const UploadItem &item : items)
        byPlace.insert(item.remotePath.isEmpty() ? item.localPath : item.remotePath, item);
    SecretKeeper secrets;
    TerminalEdges edges(secrets);
    UploadRun run(server, items, edges, secrets);
    int written = ExitOk;
    QObject::connect(&run, &UploadRun::lineReady, &run, [&](const UploadLine &line) {
        if (written == ExitOk)
            written = writeLine(server, byPlace.value(line.remotePath, {line.remotePath, line.remotePath}), line);
    });
    run.run();
    // A certificate accepted or plain FTP agreed to is kept, whatever came of the files.
    UploadSettings::keepLearnt(run.server());
    if (written)
        return written;
    return run.succeeded() ? ExitOk : ExitFailure;
}
