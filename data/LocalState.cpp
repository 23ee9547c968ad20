#include "LocalState.h"

#include "RegisterFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString LocalStateFile(const RegisterFolder &folder, const QString &kind)
{
    QString state;
    const QByteArray configured = qgetenv("XDG_STATE_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(QFile::decodeName(configured)))
        state = QFile::decodeName(configured);
    else if (const QByteArray home = qgetenv("HOME"); !home.isEmpty())
        state = QFile::decodeName(home) + QStringLiteral("/.local/state");
    const QByteArray identity = folder.identity();
    if (state.isEmpty() || identity.isEmpty())
        return {};
    return state + QStringLiteral("/sitekanri/") + kind + u'-' + QString::fromLatin1(identity) + QStringLiteral(".txt");
}

int HighestCountSeen(const RegisterFolder &folder)
{
    QFile file(LocalStateFile(folder, QStringLiteral("count")));
    return file.open(QIODevice::ReadOnly) ? file.read(16).trimmed().toInt() : 0;
}

void NoteCountSeen(const RegisterFolder &folder, int count)
{
    const QString path = LocalStateFile(folder, QStringLiteral("count"));
    if (path.isEmpty() || count <= HighestCountSeen(folder) || !QDir().mkpath(QFileInfo(path).path()))
        return;
    // Never flushed: a note lost in a crash only makes the next write count a leftover in, never
    // remove a record.
    const QString temporary = path + QStringLiteral(".new");
    QFile file(temporary);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(QByteArray::number(count) + '\n') > 0) {
        file.close();
        QFile::remove(path);
        QFile::rename(temporary, path);
    }
}
