#include "LinkResults.h"

#include "AppDirectory.h"
#include "ConflictCopyName.h"
#include "RegisterFolder.h"
#include "SiteList.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>
#include <QSet>

const QString LinkResults::kFileName = QStringLiteral("linkcheck.tsv");

namespace {

// The first line names the file and its layout, so another layout is never misread.
const QByteArray kHeader = QByteArrayLiteral("sitekanri linkcheck 1");
constexpr int kColumns = 6; // url, status, code, checked at, final url, moved to; then the message
// Far beyond any register's results; a larger file is not ours.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

QByteArray escaped(const QByteArray &field)
{
    QByteArray out;
    out.reserve(field.size());
    for (char c : field) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

bool unescaped(const QByteArray &field, QByteArray &out)
{
    out.clear();
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (++i == field.size())
            return false;
        switch (field[i]) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return false;
        }
    }
    return true;
}

bool parseLine(const QByteArray &line, QByteArray &url, CheckedLink &checked)
{
    const QList<QByteArray> raw = line.split('\t');
    if (raw.size() != kColumns + 1)
        return false;
    QByteArray fields[kColumns + 1];
    for (int i = 0; i <= kColumns; ++i) {
        if (!unescaped(raw[i], fields[i]))
            return false;
    }
    bool codeRead = false;
    LinkResult &result = checked.result;
    result.code = fields[2].toInt(&codeRead);
    checked.checkedAt = QDateTime::fromString(QString::fromLatin1(fields[3]), Qt::ISODate);
    if (fields[0].isEmpty() || !LinkStatusFromName(QString::fromLatin1(fields[1]), result.status) || !codeRead
        || result.code < 0 || result.code > 999 || !checked.checkedAt.isValid())
        return false;
    // Files of earlier versions called every 4xx "gone".
    if (result.status == LinkStatus::Gone)
        result.status = ClientErrorStatus(result.code);
    url = fields[0];
    result.finalUrl = QString::fromUtf8(fields[4]);
    result.movedTo = QString::fromUtf8(fields[5]);
    result.message = QString::fromUtf8(fields[6]);
    checked.checkedAt = checked.checkedAt.toUTC();
    return true;
}

} // namespace

const CheckedLink *LinkResults::find(const QByteArray &url) const
{
    const auto it = m_links.constFind(url);
    return it == m_links.constEnd() ? nullptr : &it.value();
}

QByteArray LinkResults::toBytes(const SiteList &sites) const
{
    std::vector<QByteArray> urls;
    QSet<QByteArray> written;
    for (const SiteRecord &site : sites) {
        if (find(site.GetUrl()) && !written.contains(site.GetUrl())) {
            written.insert(site.GetUrl());
            urls.push_back(site.GetUrl());
        }
    }
    return linesOf(urls);
}

QByteArray LinkResults::linesOf(const std::vector<QByteArray> &urls) const
{
    QByteArray out = kHeader + '\n';
    for (const QByteArray &url : urls) {
        const CheckedLink *checked = find(url);
        const LinkResult &r = checked->result;
        // The URL is the register's bytes (CP932); everything else is UTF-8.
        const QByteArray fields[] = {url,
                                     LinkStatusName(r.status).toLatin1(),
                                     QByteArray::number(r.code),
                                     checked->checkedAt.toUTC().toString(Qt::ISODate).toLatin1(),
                                     r.finalUrl.toUtf8(),
                                     r.movedTo.toUtf8(),
                                     r.message.toUtf8()};
        for (const QByteArray &field : fields)
            out += escaped(field) + (&field == &fields[kColumns] ? '\n' : '\t');
    }
    return out;
}

bool LinkResults::fromBytes(const QByteArray &bytes)
{
    m_links.clear();
    QList<QByteArray> lines = bytes.split('\n');
    // Every line, the last included, ends in a line feed: a file cut short is damaged.
    if (lines.size() < 2 || lines.first() != kHeader || !lines.last().isEmpty())
        return false;
    QHash<QByteArray, CheckedLink> links;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        QByteArray url;
        CheckedLink checked;
        if (!parseLine(lines[i], url, checked))
            return false;
        links.insert(url, checked);
    }
    m_links.swap(links);
    return true;
}

QString LinkResults::defaultPath()
{
    return AppFilePath(kFileName);
}

bool LinkResults::load(const QString &path)
{
    m_links.clear();
    if (QFileInfo(path).size() > kMaxFileSize)
        return false;
    // Read like a register file, never through a link in its place.
    const QFileInfo info(path);
    RegisterFolder folder(QFile::encodeName(info.absolutePath()));
    QByteArray bytes;
    bool exists = false;
    if (!folder.open(RegisterFolder::Missing::ReadsEmpty) || !folder.read(info.fileName(), bytes, exists))
        return false;
    if (exists && !fromBytes(bytes))
        return false;
    takeInCopies(folder, info.fileName());
    return true;
}

void LinkResults::takeInCopies(RegisterFolder &folder, const QString &name)
{
    QStringList names;
    if (!folder.list(names))
        return;
    names.sort(); // the same result on every computer that holds the same files
    QStringList merged;
    for (const QString &copy : std::as_const(names)) {
        if (ConflictCopyName::parse(copy).original.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        QByteArray bytes;
        bool exists = false;
        LinkResults other;
        // A copy that cannot be read whole is left as it is.
        if (!folder.read(copy, bytes, exists) || !exists || !other.fromBytes(bytes))
            continue;
        for (auto it = other.m_links.constBegin(); it != other.m_links.constEnd(); ++it) {
            const CheckedLink *mine = find(it.key());
            if (!mine || it->checkedAt > mine->checkedAt)
                m_links.insert(it.key(), *it);
        }
        merged << copy;
    }
    if (merged.isEmpty())
        return;
    // Written with every URL either held, in one order, before the copies go.
    std::vector<QByteArray> urls(m_links.keyBegin(), m_links.keyEnd());
    std::sort(urls.begin(), urls.end());
    if (!folder.replace(name, linesOf(urls)))
        return;
    for (const QString &copy : std::as_const(merged))
        folder.remove(copy, RegisterFolder::Flush::Later);
    folder.flush();
}

IoResult LinkResults::save(const QString &path, const SiteList &sites) const
{
    // Replaced whole, as a register file is: a crash leaves the old results or the new ones.
    const QFileInfo info(path);
    RegisterFolder folder(QFile::encodeName(info.absolutePath()));
    if (IoResult opened = folder.open(RegisterFolder::Missing::Create); !opened)
        return opened;
    return folder.replace(info.fileName(), toBytes(sites));
}
