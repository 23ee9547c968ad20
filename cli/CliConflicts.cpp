#include "CliConflicts.h"

#include "CliReport.h"
#include "CliText.h"
#include "CodePage.h"
#include "CopyTakeIn.h"
#include "RegisterFiles.h"
#include "LocalState.h"
#include "OutsideText.h"
#include "RegisterFolder.h"

#include <QRegularExpression>

namespace {

const QString kProgram = QStringLiteral("sitekanri-cli: ");

// A file name as a JSON string, converted as the records' texts are.
QByteArray jsonName(const QString &name, OutputEncoding encoding)
{
    QByteArray bytes;
    // A name the code page cannot hold is shown with those characters replaced, never dropped whole.
    if (!CodePage::fromText(name, bytes))
        bytes = CodePage::fromKnownText(QString(name).replace(QRegularExpression(QStringLiteral("[^\\x{20}-\\x{7e}]")), QStringLiteral("?")));
    return '"' + JsonField(bytes, encoding) + '"';
}

// A failure's file may be a copy's name, as a sync tool wrote it.
QString described(const IoResult &io)
{
    return OutsideText::inMessage(io.file) + QStringLiteral(": ") + io.reason;
}

} // namespace

void CliTakeInCopies(RegisterFolder &folder)
{
    // Nothing but this program changed the folder since one of its writers left it without a copy:
    // no listing of the whole folder for one change. A count far above the files (written over in
    // place, which leaves the folder's stamp) is taken in all the same.
    const FolderNote note = ReadFolderNote(folder);
    const Reading<RegisterCount> count = RegisterFiles(folder).count();
    // A register that cannot be read now: the command says why.
    if (!count || (!count.value.far && note.clean && note.stamp == folder.changedAt()))
        return;
    QStringList names;
    if (!count.value.far && folder.list(names) && !CopyTakeIn::anyCopy(names) && !CopyTakeIn::anyFar(names, count.value.count))
        return;
    std::vector<ConflictCopy> copies;
    const OperationResult result = RegisterFiles(folder).takeIn(copies);
    for (const ConflictCopy &copy : copies) {
        // The name a sync tool gave the copy is text from outside: a line break in it must not
        // write a line of its own, nor a "%2" in it take the number.
        const QString file = OutsideText::inMessage(copy.file);
        if (copy.far && copy.isCount())
            WriteError(kProgram + CliFarCountText(folder, copy.count, copy.readAs, copy.file));
        else if (copy.far && copy.number > 0)
            WriteError(kProgram + CliText::tr("%1 は番号が他のデータファイルよりはるかに大きいため、番号 %2 のサイトとして取り込みました。")
                                      .arg(file, QString::number(copy.number)));
        else if (copy.number > 0)
            WriteError(kProgram + CliText::tr("%1 を番号 %2 のサイトとして取り込みました。").arg(file, QString::number(copy.number)));
        else if (!copy.isCount())
            WriteError(kProgram + CliText::tr("%1 は登録済みのサイトと同じため削除しました。").arg(file));
        else
            WriteError(kProgram + CliText::tr("%1 の登録件数を取り込み、削除しました。").arg(file));
    }
    if (!result.done() && result.status != OperationStatus::Damaged)
        WriteError(kProgram + CliText::tr("競合コピーを取り込めませんでした。") + described(result.io));
}

QString CliFarCountText(const RegisterFolder &folder, int held, int readAs, const QString &file)
{
    const QString name = file.isEmpty() ? folder.nameOnDisk(QStringLiteral("setting.ini")) : file;
    return CliText::tr("%1 の登録件数 %2 はデータファイルの番号よりはるかに大きいため、%3 として読みました。")
        .arg(OutsideText::inMessage(folder.filePath(name)), QString::number(held), QString::number(readAs));
}

QByteArray CliConflictLines(RegisterFolder &folder, const SiteList &sites, bool json, bool ids, OutputEncoding encoding,
                            const std::function<bool(const SiteRecord &)> &keep)
{
    std::vector<ConflictCopy> copies;
    SiteList aboveCount;
    if (IoResult read = CopyTakeIn(folder).pending(sites, copies, aboveCount); !read)
        WriteError(kProgram + CliText::tr("競合コピーを読み込めませんでした。") + described(read));
    QByteArray out;
    for (std::size_t i = 0; i < aboveCount.size(); ++i) {
        if (!keep || keep(aboveCount.at(i)))
            out += RecordLine(aboveCount.at(i), aboveCount.number(i), json, ids, encoding);
    }
    for (const ConflictCopy &copy : copies) {
        if (keep && !keep(copy.record))
            continue;
        if (!json) {
            out += (ids ? QByteArray("\t") : QByteArray()) + RecordAsTsv(copy.record, encoding) + '\n';
            continue;
        }
        QByteArray line = RecordAsJson(copy.record, 0, encoding);
        line.replace(0, qsizetype(sizeof("{\"id\":0") - 1),
                     "{\"id\":null,\"conflict_of\":" + jsonName(copy.original, encoding) + ",\"file\":"
                         + jsonName(copy.file, encoding));
        out += line + '\n';
    }
    return out;
}
