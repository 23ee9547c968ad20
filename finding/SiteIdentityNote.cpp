#include "SiteIdentityNote.h"

#include "CodePage.h"
#include "LocalState.h"
#include "SiteIdentity.h"
#include "SiteList.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {

const QByteArray kMagic = QByteArrayLiteral("SKIDENT1");
constexpr qint64 kHead = 16; // the magic, then the stamp
constexpr qint64 kEntry = 8;

qint64 entryAt(int number)
{
    return kHead + kEntry * (number - 1);
}

QByteArray bytesOf(quint64 value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

} // namespace

quint64 SiteIdentityDigest(const QByteArray &url)
{
    const QString site = SiteIdentity(CodePage::toText(url));
    if (site.isEmpty())
        return 0;
    const QByteArray digest = QCryptographicHash::hash(site.toUtf8(), QCryptographicHash::Sha1);
    return qFromLittleEndian<quint64>(digest.constData()) | 1; // never 0, which is "no record"
}

SiteIdentityNote::SiteIdentityNote(const RegisterFolder &folder)
    : m_path(LocalStateFile(folder, QStringLiteral("sites")))
{
}

// No path (a folder not made yet has no identity): no note, and no file is asked to open.
QByteArray SiteIdentityNote::read() const
{
    QFile file(m_path);
    return !m_path.isEmpty() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool SiteIdentityNote::goodFor(qint64 stamp) const
{
    QFile file(m_path);
    if (stamp < 0 || m_path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(kHead);
    return head.size() == kHead && head.startsWith(kMagic) && qFromLittleEndian<qint64>(head.constData() + 8) == stamp;
}

void SiteIdentityNote::rebuild(const SiteList &sites, qint64 stamp)
{
    if (m_path.isEmpty() || !QDir().mkpath(QFileInfo(m_path).path()))
        return;
    const int highest = sites.empty() ? 0 : sites.number(sites.size() - 1);
    QByteArray bytes = kMagic + bytesOf(quint64(-1));
    bytes.resize(entryAt(highest + 1), '\0');
    for (std::size_t i = 0; i < sites.size(); ++i)
        qToLittleEndian(SiteIdentityDigest(sites.at(i).m_url), bytes.data() + entryAt(sites.number(i)));
    QFile file(m_path);
    // The stamp last: a note cut short is good for none.
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.seek(kMagic.size()))
        file.write(bytesOf(quint64(stamp)));
}

void SiteIdentityNote::changed(qint64 before, qint64 after, const std::vector<std::pair<int, QByteArray>> &urls)
{
    QFile file(m_path);
    if (!goodFor(before) || !file.open(QIODevice::ReadWrite))
        return;
    // The entries first, the stamp last: a note cut short by a crash is good for no stamp.
    for (const auto &[number, url] : urls) {
        if (number < 1 || !file.seek(entryAt(number)) || file.write(bytesOf(url.isEmpty() ? 0 : SiteIdentityDigest(url))) != kEntry)
            return;
    }
    if (file.seek(8))
        file.write(bytesOf(quint64(after)));
}

std::vector<int> SiteIdentityNote::candidates(const QByteArray &url, int except) const
{
    std::vector<int> numbers;
    const quint64 wanted = SiteIdentityDigest(url);
    const QByteArray bytes = read();
    if (wanted == 0 || bytes.size() < kHead)
        return numbers;
    for (qint64 at = kHead; at + kEntry <= bytes.size(); at += kEntry) {
        const int number = int((at - kHead) / kEntry) + 1;
        if (number != except && qFromLittleEndian<quint64>(bytes.constData() + at) == wanted)
            numbers.push_back(number);
    }
    return numbers;
}
