#include "FaultSupport.h"

#include "SiteStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

} // namespace

Snapshot TakeSnapshot(const QString &directory)
{
    Snapshot snapshot;
    QDirIterator it(directory, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (it.fileInfo().isDir())
            snapshot[it.fileName()] = "<directory>";
        else
            snapshot[it.fileName()] = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    return snapshot;
}

std::string Describe(const Snapshot &snapshot)
{
    std::string out;
    for (const auto &[name, bytes] : snapshot)
        out += name.toStdString() + " (" + std::to_string(bytes.size()) + " bytes)\n";
    return out;
}

namespace {

std::function<void()> unmount(const QString &directory)
{
    return [directory] {
        if (::umount2(native(directory).constData(), MNT_DETACH) != 0)
            ADD_FAILURE() << "umount " << directory.toStdString() << ": " << std::strerror(errno);
    };
}

} // namespace

std::unique_ptr<ScopedFault> ScopedFault::Tmpfs(const QString &directory, const char *options, QString &error)
{
    if (::mount("tmpfs", native(directory).constData(), "tmpfs", 0, options) != 0) {
        error = QStringLiteral("mount -t tmpfs: ") + SystemReason(errno);
        return nullptr;
    }
    return std::unique_ptr<ScopedFault>(new ScopedFault(unmount(directory)));
}

std::unique_ptr<ScopedFault> ScopedFault::ReadOnlyBind(const QString &directory, QString &error)
{
    const QByteArray path = native(directory);
    if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0) {
        error = QStringLiteral("mount --bind: ") + SystemReason(errno);
        return nullptr;
    }
    std::unique_ptr<ScopedFault> bound(new ScopedFault(unmount(directory)));
    if (::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
        error = QStringLiteral("mount -o remount,bind,ro: ") + SystemReason(errno);
        return nullptr;
    }
    return bound;
}

std::unique_ptr<ScopedFault> ScopedFault::Immutable(const QString &directory, QString &error)
{
    const ProgramRun run = RunProgram(QStringLiteral("chattr"), {QStringLiteral("+i"), directory});
    if (run.exitCode != 0) {
        error = QStringLiteral("chattr +i: ") + QString::fromLocal8Bit(run.err.trimmed());
        return nullptr;
    }
    return std::unique_ptr<ScopedFault>(new ScopedFault([directory] {
        const ProgramRun undo = RunProgram(QStringLiteral("chattr"), {QStringLiteral("-i"), directory});
        if (undo.exitCode != 0)
            ADD_FAILURE() << "chattr -i " << directory.toStdString() << ": " << undo.err.toStdString();
    }));
}

ProgramRun RunProgram(const QString &program, const QStringList &arguments, bool asNobody)
{
    QProcess process;
    if (asNobody) {
        process.setProgram(QStringLiteral("setpriv"));
        process.setArguments(QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                         QStringLiteral("--clear-groups"), program}
                             + arguments);
    } else {
        process.setProgram(program);
        process.setArguments(arguments);
    }
    process.start();
    ProgramRun run;
    if (!process.waitForStarted(10000) || !process.waitForFinished(60000)) {
        run.err = process.errorString().toUtf8();
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString FaultHelperPath()
{
    return QStringLiteral(FAULT_HELPER);
}

QString CliPath()
{
#ifdef SITEKANRI_CLI
    return QStringLiteral(SITEKANRI_CLI);
#else
    return {};
#endif
}

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void SaveSimpleRegister(int count)
{
    SiteStore store;
    for (int i = 0; i < count; ++i) {
        SiteRecord record;
        record.m_name = "site" + QByteArray::number(i);
        record.m_url = "http://example.jp/" + QByteArray::number(i);
        store.m_sites.push_back(record);
    }
    const IoResult saved = store.Save();
    ASSERT_TRUE(saved) << saved.describe().toStdString();
}
