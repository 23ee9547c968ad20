#include "FileReason.h"

#include "RegisterFolder.h"

#include <QFileDevice>
#include <QtGlobal>

namespace {

// Beyond the highest error number of Linux, macOS and Windows' C library.
constexpr int kLastErrorNumber = 200;

} // namespace

QString FileReason(const QIODevice &device)
{
    const QString said = device.errorString();
    for (int error = 1; error <= kLastErrorNumber; ++error) {
        if (said == qt_error_string(error))
            return SystemReason(error);
    }
    const auto *file = qobject_cast<const QFileDevice *>(&device);
    switch (file ? file->error() : QFileDevice::UnspecifiedError) {
    case QFileDevice::OpenError: return DataText::tr("開けませんでした");
    case QFileDevice::ReadError: return DataText::tr("読み込めませんでした");
    case QFileDevice::WriteError: return DataText::tr("書き込めませんでした");
    case QFileDevice::ResourceError: return DataText::tr("資源（ディスクやメモリ）が足りません");
    case QFileDevice::RenameError: return DataText::tr("ファイルを置き換えられませんでした");
    case QFileDevice::PermissionsError: return DataText::tr("アクセスが拒否されました");
    default: return DataText::tr("入出力エラーが発生しました");
    }
}
