#include "SaveFailure.h"

#include "DataText.h"
#include "FileReason.h"

#include <QFileInfo>
#include <QSaveFile>

QString SaveFailure(const QSaveFile &file, bool cutShort)
{
    const QFileInfo target(file.fileName());
    if (!QFileInfo(target.absolutePath()).isDir())
        return DataText::tr("保存先のフォルダーがありません。");
    if (target.isDir())
        return DataText::tr("同じ名前のフォルダーがあります。");
    if (cutShort && file.error() == QFileDevice::NoError)
        return DataText::tr("書き込めませんでした。ディスクの空きが足りないかもしれません。");
    return FileReason(file);
}

IoResult SaveWhole(const QString &path, const QByteArray &bytes)
{
    return SaveWhole(path, [&bytes](const auto &sink) { return sink(bytes); });
}

IoResult SaveWhole(const QString &path, const SavePieces &write)
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
    const QString reason = SaveFailure(file, cutShort);
    file.cancelWriting();
    return IoResult::failure(path, reason);
}
