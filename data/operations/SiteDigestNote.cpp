#include "SiteDigestNote.h"

#include "LocalState.h"
#include "SiteList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <map>

namespace {

// The magic, the stamp the note is good for, and how many entries say "no site" (left by records
// that went): past as many as the others, the note is written whole without them.
const QByteArray kMagic = QByteArrayLiteral("SKSITES2");
constexpr qint64 kStampAt = 8;
constexpr qint64 kZerosAt = 16;
constexpr qint64 kHead = 24;
constexpr qint64 kEntry = 12; // the number (4 bytes), the digest (8)
// More changes than this at once (an import, a keyword renamed everywhere) are merged into the note
// read whole rather than looked up one by one.
constexpr std::size_t kMostInPlace = 64;

SiteDigestNote::Digest s_digest = nullptr;

QByteArray bytesOf(quint64 value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

qint64 entryAt(qint64 slot)
{
    return kHead + slot * kEntry;
}

} // namespace

void SiteDigestNote::install(Digest digest)
{
    s_digest = digest;
}

SiteDigestNote::SiteDigestNote(const RegisterFolder &folder)
    : m_path(LocalStateFile(folder, QStringLiteral("sites")))
{
}

bool SiteDigestNote::goodFor(qint64 stamp) const
{
    QFile file(m_path);
    if (stamp < 0 || !s_digest || m_path.isEmpty() || !file.open(QIODevice::ReadOnly) || (file.size() - kHead) % kEntry != 0)
        return false;
    char head[kHead];
    return file.read(head, kHead) == kHead && QByteArray(head, 8) == kMagic && qFromLittleEndian<qint64>(head + kStampAt) == stamp;
}

std::vector<SiteDigestNote::Entry> SiteDigestNote::readAll() const
{
    std::vector<Entry> entries;
    QFile file(m_path);
    // No path (a folder not made yet has no identity): no note, and no file is asked to open.
    if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return entries;
    char head[kHead];
    if (file.read(head, kHead) != kHead || QByteArray(head, 8) != kMagic || (file.size() - kHead) % kEntry != 0)
        return entries;
    entries.reserve(std::size_t((file.size() - kHead) / kEntry));
    for (char raw[kEntry]; file.read(raw, kEntry) == kEntry;)
        entries.push_back({qFromLittleEndian<qint32>(raw), qFromLittleEndian<quint64>(raw + 4)});
    return entries;
}

void SiteDigestNote::writeAll(const std::vector<Entry> &entries, qint64 stamp)
{
    if (m_path.isEmpty() || !QDir().mkpath(QFileInfo(m_path).path()))
        return;
    QByteArray bytes = kMagic + bytesOf(quint64(-1)) + bytesOf(0);
    bytes.reserve(kHead + qsizetype(entries.size()) * kEntry);
    for (const Entry &entry : entries) {
        if (entry.digest == 0)
            continue;
        char raw[kEntry];
        qToLittleEndian<qint32>(entry.number, raw);
        qToLittleEndian(entry.digest, raw + 4);
        bytes.append(raw, kEntry);
    }
    QFile file(m_path);
    // The stamp last: a note cut short is good for none.
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.seek(kStampAt))
        file.write(bytesOf(quint64(stamp)));
}

void SiteDigestNote::rebuild(const SiteList &sites, qint64 stamp)
{
    std::vector<std::pair<int, QByteArray>> urls;
    urls.reserve(sites.size());
    for (std::size_t i = 0; i < sites.size(); ++i)
        urls.emplace_back(sites.number(i), sites.at(i).GetUrl());
    rebuild(std::move(urls), stamp);
}

void SiteDigestNote::rebuild(std::vector<std::pair<int, QByteArray>> urls, qint64 stamp)
{
    if (!s_digest) {
        QFile::remove(m_path);
        return;
    }
    std::stable_sort(urls.begin(), urls.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<Entry> entries;
    entries.reserve(urls.size());
    for (const auto &[number, url] : urls) {
        const Entry entry{number, url.isEmpty() ? 0 : s_digest(url)};
        if (!entries.empty() && entries.back().number == number)
            entries.back() = entry;
        else
            entries.push_back(entry);
    }
    writeAll(entries, stamp);
}

void SiteDigestNote::changed(qint64 before, qint64 after, std::vector<std::pair<int, QByteArray>> urls)
{
    if (!goodFor(before))
        return; // stale: it stays good for no stamp the folder will have
    // The last change of each number stands, in number order.
    std::stable_sort(urls.begin(), urls.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<Entry> changes;
    for (const auto &[number, url] : urls) {
        const Entry entry{number, url.isEmpty() ? 0 : s_digest(url)};
        if (!changes.empty() && changes.back().number == number)
            changes.back() = entry;
        else if (number > 0)
            changes.push_back(entry);
    }
    if (changes.size() <= kMostInPlace && changeInPlace(changes, after))
        return;
    std::map<int, quint64> merged;
    for (const Entry &entry : readAll())
        merged[entry.number] = entry.digest;
    for (const Entry &change : changes)
        merged[change.number] = change.digest;
    std::vector<Entry> entries;
    entries.reserve(merged.size());
    for (const auto &[number, digest] : merged)
        entries.push_back({number, digest});
    writeAll(entries, after);
}

bool SiteDigestNote::changeInPlace(const std::vector<Entry> &changes, qint64 after)
{
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::ReadWrite))
        return false;
    qint64 entries = (file.size() - kHead) / kEntry;
    char zerosBytes[8];
    if (!file.seek(kZerosAt) || file.read(zerosBytes, 8) != 8)
        return false;
    qint64 zeros = qFromLittleEndian<qint64>(zerosBytes);
    // Good for no stamp while it changes: a note cut short by a crash is good for none.
    if (!file.seek(kStampAt) || file.write(bytesOf(quint64(-1))) != 8)
        return false;
    const auto numberAt = [&file](qint64 slot) {
        char raw[4];
        return file.seek(entryAt(slot)) && file.read(raw, 4) == 4 ? qFromLittleEndian<qint32>(raw) : -1;
    };
    for (const Entry &change : changes) {
        qint64 low = 0, high = entries;
        while (low < high) {
            const qint64 middle = low + (high - low) / 2;
            if (numberAt(middle) < change.number)
                low = middle + 1;
            else
                high = middle;
        }
        char raw[kEntry];
        qToLittleEndian<qint32>(change.number, raw);
        qToLittleEndian(change.digest, raw + 4);
        if (low < entries && numberAt(low) == change.number) {
            char old[8];
            if (file.read(old, 8) != 8)
                return false;
            zeros += (change.digest == 0) - (qFromLittleEndian<quint64>(old) == 0);
            if (!file.seek(entryAt(low) + 4) || file.write(raw + 4, 8) != 8)
                return false;
        } else if (change.digest != 0) {
            // Only after the last entry: one between two is written with the note whole.
            if (low != entries || !file.seek(entryAt(entries)) || file.write(raw, kEntry) != kEntry)
                return false;
            ++entries;
        }
    }
    // Entries of records that went: as many as the others, and the note is written whole without them.
    if (zeros > entries - zeros)
        return false;
    return file.seek(kZerosAt) && file.write(bytesOf(quint64(zeros))) == 8 && file.seek(kStampAt)
        && file.write(bytesOf(quint64(after))) == 8;
}

std::vector<int> SiteDigestNote::candidates(const QByteArray &url, int except) const
{
    std::vector<int> numbers;
    const quint64 wanted = s_digest ? s_digest(url) : 0;
    if (wanted == 0)
        return numbers;
    for (const Entry &entry : readAll()) {
        if (entry.number != except && entry.digest == wanted)
            numbers.push_back(entry.number);
    }
    return numbers;
}
