#include "LocalState.h"

#include "RegisterFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

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

namespace {

// What this process last read or wrote of each note, by folder: a register read again and again
// (a window following another program) costs no look at the note while its count stays.
QHash<QString, int> &notedCounts()
{
    static QHash<QString, int> noted;
    return noted;
}

} // namespace

int HighestCountSeen(const RegisterFolder &folder)
{
    const QString path = LocalStateFile(folder, QStringLiteral("count"));
    if (const auto noted = notedCounts().constFind(path); noted != notedCounts().constEnd())
        return *noted;
    QFile file(path);
    const int seen = file.open(QIODevice::ReadOnly) ? file.read(16).trimmed().toInt() : 0;
    notedCounts().insert(path, seen);
    return seen;
}

void NoteCountSeen(const RegisterFolder &folder, int count)
{
    const QString path = LocalStateFile(folder, QStringLiteral("count"));
    if (path.isEmpty() || count <= HighestCountSeen(folder))
        return;
    notedCounts().insert(path, count);
    // Written in place and never flushed: a note torn or lost in a crash reads as no count seen,
    // which only makes the next write count a leftover in, never remove a record.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) && (!QDir().mkpath(QFileInfo(path).path()) || !file.open(QIODevice::ReadWrite)))
        return;
    const QByteArray text = QByteArray::number(count) + '\n';
    if (file.write(text) == text.size())
        file.resize(text.size());
}
