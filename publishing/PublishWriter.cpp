#include "PublishWriter.h"

#include "RegisterFolder.h"
#include "SystemReason.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString folderPathOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

QString nameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

// Whether the process of this number is gone: a temporary it left can be nobody's work.
bool processGone(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

PageFolders::PageFolders() = default;
PageFolders::~PageFolders() = default;

RegisterFolder *PageFolders::folderOf(const QString &path, IoResult &opened)
{
    const QString folderPath = folderPathOf(path);
    std::shared_ptr<RegisterFolder> &folder = m_folders[folderPath];
    if (!folder) {
        folder = std::make_shared<RegisterFolder>(QFile::encodeName(folderPath));
        opened = folder->open(RegisterFolder::Missing::ReadsEmpty);
        if (opened && !folder->exists())
            opened = IoResult::failure(folderPath, SystemReason(ENOENT), ENOENT);
        if (!opened) {
            m_folders.remove(folderPath);
            return nullptr;
        }
    }
    opened = IoResult::success();
    return folder.get();
}

PageFolders::Read PageFolders::read(const QString &path)
{
    Read read;
    RegisterFolder *folder = folderOf(path, read.io);
    if (folder)
        read.io = folder->read(nameOf(path), read.bytes, read.exists);
    return read;
}

QString PageFolders::writeRefusal(const QString &path)
{
    const QByteArray file = QFile::encodeName(path);
    struct stat status;
    // The mode itself: the administrator may write anything, yet a page made read-only is meant
    // to stay as it is.
    if (::lstat(file.constData(), &status) == 0 && ((status.st_mode & 0222) == 0 || ::access(file.constData(), W_OK) != 0))
        return SystemReason(EACCES);
    // The new version is written beside the page first.
    if (::access(QFile::encodeName(folderPathOf(path)).constData(), W_OK) != 0)
        return SystemReason(errno);
    return {};
}

void PageFolders::sweep(RegisterFolder &folder)
{
    bool &swept = m_swept[folder.path()];
    if (swept)
        return;
    swept = true;
    QStringList names;
    if (!folder.list(names))
        return;
    // ".sitekanri-<process>-<random>.tmp": only those of a process that is gone, since a register
    // kept in the same folder, or another publish, may be writing through its own right now.
    static const QRegularExpression temporary(QStringLiteral("^\\.sitekanri-(\\d+)-[0-9a-f]+\\.tmp$"));
    bool removed = false;
    for (const QString &name : names) {
        const QRegularExpressionMatch match = temporary.match(name);
        if (match.hasMatch() && processGone(match.captured(1).toLongLong()))
            removed = folder.remove(name, RegisterFolder::Flush::Later) || removed;
    }
    if (removed)
        folder.flush();
}

void PageFolders::tidy(const QString &path)
{
    IoResult opened;
    if (RegisterFolder *folder = folderOf(path, opened))
        sweep(*folder);
}

PageFolders::Outcome PageFolders::write(const QString &path, const QByteArray *before, const QByteArray &after,
                                        IoResult &failure)
{
    failure = IoResult::success();
    RegisterFolder *folder = folderOf(path, failure);
    if (!folder)
        return Outcome::Failed;
    sweep(*folder);
    const QString name = nameOf(path);
    if (before) {
        RegisterFolder::Found found = RegisterFolder::Found::Missing;
        if (IoResult replaced = folder->replaceIf(name, after, *before, found); !replaced) {
            failure = replaced;
            return Outcome::Failed;
        }
        if (found == RegisterFolder::Found::Expected)
            return Outcome::Written;
        if (found == RegisterFolder::Found::Missing)
            return Outcome::Gone;
        QByteArray now;
        bool exists = false;
        return folder->read(name, now, exists) && exists && now == after ? Outcome::AlreadyThere : Outcome::ChangedMeanwhile;
    }
    std::vector<QString> temporaries;
    if (IoResult written = folder->writeTemporaries({after}, temporaries); !written) {
        failure = IoResult::failure(path, written.reason, written.error);
        return Outcome::Failed;
    }
    bool taken = false;
    IoResult claimed = folder->claim(temporaries.front(), name, taken);
    if (!claimed || taken)
        folder->discard(temporaries.front());
    if (!claimed) {
        failure = claimed;
        return Outcome::Failed;
    }
    if (taken) {
        QByteArray now;
        bool exists = false;
        return folder->read(name, now, exists) && exists && now == after ? Outcome::AlreadyThere : Outcome::Taken;
    }
    if (IoResult flushed = folder->flush(); !flushed) {
        failure = flushed;
        return Outcome::Failed;
    }
    return Outcome::Written;
}
