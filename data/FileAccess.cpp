#include "FileAccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Temporary files are hidden and carry a suffix of their own, so that neither the register's
// readers nor a person listing the folder mistake them for data.
const QString kTemporarySuffix = QStringLiteral(".sitekanri-tmp");

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Makes the staged contents durable before they replace anything.
void flushStagedFiles(const QStringList &files)
{
#ifdef Q_OS_LINUX
    if (files.isEmpty())
        return;
    // One syncfs for the whole file system costs far less than an fsync per file.
    const int fd = ::open(QFile::encodeName(files.first()).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(files);
#endif
}

void flushDirectory(const QString &directory)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(directory);
#endif
}

} // namespace

bool FileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

IoResult ReadWholeFile(const QString &path, QByteArray &bytes, bool &exists)
{
    bytes.clear();
    exists = false;
    // Only a file that is surely not there reads as empty: one that cannot even be looked at
    // (a folder on its path closed to us) fails, or the register would load as empty.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(QFile::encodeName(path).toStdString(), error);
    if (status.type() == std::filesystem::file_type::not_found)
        return IoResult::success();
    if (error)
        return IoResult::failure(path, QString::fromLocal8Bit(error.message()));
    exists = true;
    if (std::filesystem::is_directory(status))
        return IoResult::failure(path, systemReason(EISDIR));
    // A pipe would block the read for good and a device like /dev/zero never ends.
    if (!std::filesystem::is_regular_file(status))
        return IoResult::failure(path, QStringLiteral("通常のファイルではありません"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return IoResult::failure(path, file.errorString());
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return IoResult::failure(path, file.errorString());
    return IoResult::success();
}

FileReplacement::~FileReplacement()
{
    discard();
}

void FileReplacement::discard()
{
    for (const QString &temporary : std::as_const(m_temporaries))
        QFile::remove(temporary);
    m_temporaries.clear();
    m_targets.clear();
}

IoResult FileReplacement::stage(const QString &target, const QByteArray &content)
{
    const QFileInfo info(target);
    if (info.isDir())
        return IoResult::failure(target, systemReason(EISDIR));
    // A replaced file keeps its permissions; a new one gets the usual ones for a document.
    const QFileDevice::Permissions permissions = info.exists()
        ? info.permissions()
        : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    // Names unique to this process and replacement; NewOnly never opens somebody else's file.
    static quint64 counter = 0;
    const QString name = info.dir().filePath(QLatin1Char('.') + info.fileName() + QLatin1Char('.')
                                             + QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-')
                                             + QString::number(++counter) + kTemporarySuffix);
    QFile temporary(name);
    if (!temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly, permissions))
        return IoResult::failure(target, temporary.errorString());
    m_temporaries.append(name);
    if (temporary.write(content) != content.size() || !temporary.flush())
        return IoResult::failure(target, temporary.errorString());
    temporary.close();
    if (temporary.error() != QFileDevice::NoError)
        return IoResult::failure(target, temporary.errorString());
    m_targets.append(target);
    return IoResult::success();
}

IoResult FileReplacement::commit()
{
    flushStagedFiles(m_temporaries);
    for (qsizetype i = 0; i < m_targets.size(); ++i) {
        std::error_code error;
        std::filesystem::rename(QFile::encodeName(m_temporaries[i]).toStdString(),
                                QFile::encodeName(m_targets[i]).toStdString(), error);
        if (error) {
            const IoResult failure = IoResult::failure(m_targets[i], QString::fromLocal8Bit(error.message()));
            m_temporaries.remove(0, i); // the ones renamed already are gone
            m_targets.remove(0, i);
            discard();
            return failure;
        }
    }
    if (!m_targets.isEmpty())
        flushDirectory(QFileInfo(m_targets.first()).absolutePath());
    m_temporaries.clear();
    m_targets.clear();
    return IoResult::success();
}

void RemoveLeftoverTemporaries(const QString &directory)
{
    const QStringList leftovers = QDir(directory).entryList({QLatin1Char('*') + kTemporarySuffix},
                                                             QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : leftovers)
        QFile::remove(QDir(directory).filePath(name));
}
