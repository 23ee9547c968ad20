#include "SaveFailure.h"

#include "DataText.h"
#include "FileReason.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

QString sentence(const QSaveFile &file, bool cutShort)
{
    const QFileInfo target(file.fileName());
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return DataText::tr("保存先のフォルダーがありません。");
    if (target.isDir())
        return DataText::tr("同じ名前のフォルダーがあります。");
    if (!folder.isWritable() || (target.exists() && !target.isWritable()))
        return DataText::tr("書き込む権限がありません。");
    // The system's own words, untranslated, name what the sentence cannot guess.
    const QString detail =
        file.error() == QFileDevice::NoError ? QString() : DataText::tr("（%1）").arg(file.errorString());
    if (cutShort || file.error() == QFileDevice::WriteError || file.error() == QFileDevice::ResourceError)
        return DataText::tr("書き込めませんでした。ディスクの空きが足りないかもしれません。") + detail;
    return DataText::tr("ファイルを書き込めませんでした。") + detail;
}

} // namespace

QString SaveFailure(const QSaveFile &file, bool cutShort, SaveWording wording)
{
    return wording == SaveWording::Sentence ? sentence(file, cutShort) : FileReason(file);
}

IoResult SaveWhole(const QString &path, const QByteArray &bytes, SaveWording wording)
{
    return SaveWhole(path, [&bytes](const auto &sink) { return sink(bytes); }, wording);
}

IoResult SaveWhole(const QString &path, const SavePieces &write, SaveWording wording)
{
    QSaveFile file(path);
    bool cutShort = false;
    const bool opened = file.open(QIODevice::WriteOnly);
    const bool written = opened && write([&](const QByteArray &piece) {
        cutShort = file.write(piece) != piece.size();
        return !cutShort;
    });
    if (written && file.commit())
        return IoResult::success();
    const QString reason = SaveFailure(file, cutShort, wording);
    file.cancelWriting();
    return IoResult::failure(path, reason);
}
