#include "HomePage.h"

#include "SaveFailure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr const char *kHelpFile = "help/index.html";
constexpr const char *kInstalledHelpFile = SITEKANRI_INSTALLED_HELP;
constexpr const char *kCompiledHelpFile = ":/help/index.html";

QString ExistingFile(const QDir &dir, const char *relative)
{
    const QFileInfo info(dir.filePath(QString::fromLatin1(relative)));
    return info.isFile() ? info.absoluteFilePath() : QString();
}

// A copy of the compiled-in page in `cacheDir`, rewritten only when it differs (an older
// version of the program may have left its own there).
QString CachedCopy(const QString &cacheDir)
{
    QFile compiled(QString::fromLatin1(kCompiledHelpFile));
    if (cacheDir.isEmpty() || !compiled.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray page = compiled.readAll();
    const QString path = QDir(cacheDir).filePath(QString::fromLatin1(kHelpFile));

    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == page)
        return path;
    existing.close();

    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QString();
    if (!SaveWhole(path, page))
        return QString();
    return path;
}

} // namespace

QString HomePageFile(const QString &programDir, const QString &cacheDir)
{
    const QDir dir(programDir);
    for (const char *relative : {kHelpFile, kInstalledHelpFile}) {
        const QString found = ExistingFile(dir, relative);
        if (!found.isEmpty())
            return found;
    }
    return CachedCopy(cacheDir);
}

QUrl HomePageUrl()
{
    const QString file = HomePageFile(QCoreApplication::applicationDirPath(),
                                      QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
    return file.isEmpty() ? QUrl() : QUrl::fromLocalFile(file);
}
