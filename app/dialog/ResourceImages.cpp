#include "ResourceImages.h"

#include <QFile>

namespace ResourceImages {

QIcon icon(int id)
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path = QStringLiteral(":/images/icon%1-%2.png").arg(id).arg(size);
        if (QFile::exists(path))
            icon.addFile(path, QSize(size, size));
    }
    return icon;
}

QPixmap bitmap(int id)
{
    return QPixmap(QStringLiteral(":/images/bitmap%1.png").arg(id));
}

} // namespace ResourceImages
