#include "AppDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QStandardPaths>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#include <unistd.h>
#endif

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

QByteArray AppDirectoryBytes()
{
    if (!overrideDirectory().isEmpty())
        return QFile::encodeName(overrideDirectory());
#ifdef Q_OS_LINUX
    // The executable's own path as bytes; Qt's applicationDirPath() is text.
    char exe[4096];
    const ssize_t length = ::readlink("/proc/self/exe", exe, sizeof exe);
    if (length > 0 && length < ssize_t(sizeof exe)) {
        const QByteArray path(exe, length);
        const QByteArray folder = path.left(path.lastIndexOf('/'));
        struct stat status;
        if (!folder.isEmpty() && ::stat((folder + "/setting.ini").constData(), &status) == 0 && S_ISREG(status.st_mode))
            return folder;
    }
#endif
    return QFile::encodeName(AppDirectory());
}

void SetAppDirectory(const QString &directory)
{
    overrideDirectory() = directory;
}

QString AppFilePath(const QString &fileName)
{
    return QDir(AppDirectory()).filePath(fileName);
}
