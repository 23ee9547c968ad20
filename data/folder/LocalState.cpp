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

// Writes a note in place, never flushed: a note torn or lost in a crash is read as none.
void writeNote(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (path.isEmpty()
        || (!file.open(QIODevice::ReadWrite) && (!QDir().mkpath(QFileInfo(path).path()) || !file.open(QIODevice::ReadWrite))))
        return;
    if (file.write(text) == text.size())
        file.resize(text.size());
}

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
    // No path (a folder not made yet has no identity): nothing seen, and no file asked to open.
    QFile file(path);
    const int seen = !path.isEmpty() && file.open(QIODevice::ReadOnly) ? file.read(16).trimmed().toInt() : 0;
    notedCounts().insert(path, seen);
    return seen;
}

void NoteCountSeen(const RegisterFolder &folder, int count)
{
    const QString path = LocalStateFile(folder, QStringLiteral("count"));
    if (path.isEmpty() || count <= HighestCountSeen(folder))
        return;
    notedCounts().insert(path, count);
    // A note torn or lost in a crash reads as no count seen, which only makes the next write count
    // a leftover in, never remove a record.
    writeNote(path, QByteArray::number(count) + '\n');
}

FolderNote ReadFolderNote(const RegisterFolder &folder)
{
    const QString path = LocalStateFile(folder, QStringLiteral("folder"));
    QFile file(path);
    FolderNote note;
    const QList<QByteArray> fields =
        !path.isEmpty() && file.open(QIODevice::ReadOnly) ? file.read(64).trimmed().split(' ') : QList<QByteArray>();
    bool stamped = false, counted = false;
    if (fields.size() == 4) {
        note.stamp = fields[0].toLongLong(&stamped);
        note.highest = fields[1].toInt(&counted);
        note.clean = fields[2] == "clean";
        note.cased = fields[3] != "plain";
    }
    return stamped && counted ? note : FolderNote();
}

void WriteFolderNote(const RegisterFolder &folder, const FolderNote &note)
{
    // A note cut short, or written over a longer one and cut off before its end, reads as none.
    writeNote(LocalStateFile(folder, QStringLiteral("folder")),
              QByteArray::number(note.stamp) + ' ' + QByteArray::number(note.highest) + ' '
                  + (note.clean ? "clean" : "unknown") + ' ' + (note.cased ? "cased" : "plain") + '\n');
}
