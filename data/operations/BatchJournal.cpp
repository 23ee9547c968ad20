#include "BatchJournal.h"

#include "LocalState.h"
#include "RegisterFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

const QByteArray kHeader = QByteArrayLiteral("sitekanri batch");

} // namespace

BatchJournal::BatchJournal(const RegisterFolder &folder)
    : m_path(LocalStateFile(folder, QStringLiteral("batch")))
{
}

void BatchJournal::begin(int first, const std::vector<QByteArray> &digests)
{
    if (m_path.isEmpty() || !QDir().mkpath(QFileInfo(m_path).path()))
        return;
    QByteArray text = kHeader + ' ' + QByteArray::number(first) + '\n';
    text.reserve(text.size() + qsizetype(digests.size()) * 65);
    for (const QByteArray &digest : digests)
        text += digest.toHex() + '\n';
    QFile file(m_path);
    // Written whole and flushed before the first name is claimed; one torn by a crash names fewer
    // files, and a crash before any claim left none to remove.
    m_begun = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size() && file.flush()
        && ::fdatasync(file.handle()) == 0;
}

void BatchJournal::end()
{
    if (m_begun)
        drop();
}

void BatchJournal::drop()
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    m_begun = false;
}

bool BatchJournal::unfinished(int &first, QSet<QByteArray> &digests) const
{
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = file.readAll().split('\n');
    const QList<QByteArray> head = lines.value(0).split(' ');
    digests.clear();
    bool ok = false;
    first = head.value(2).toInt(&ok);
    // A note that is not whole names no file to remove.
    if (!lines.value(0).startsWith(kHeader) || head.size() != 3 || !ok)
        return true;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (!lines[i].isEmpty())
            digests.insert(QByteArray::fromHex(lines[i]));
    }
    return true;
}
