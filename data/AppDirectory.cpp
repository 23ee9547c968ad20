#include "AppDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString &overrideDirectory()
{
    static QString directory;
    return directory;
}
} // namespace

QString AppDirectory()
{
    if (!overrideDirectory().isEmpty())
        return overrideDirectory();
    // Worked out anew at every call, like the executable path it derives from.
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (!exeDir.isEmpty() && QFileInfo(QDir(exeDir).filePath(QStringLiteral("setting.ini"))).isFile())
        return exeDir;
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

void SetAppDirectory(const QString &directory)
{
    overrideDirectory() = directory;
}

QString AppFilePath(const QString &fileName)
{
    return QDir(AppDirectory()).filePath(fileName);
}
