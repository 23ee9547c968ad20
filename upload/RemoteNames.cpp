#include "RemoteNames.h"

#include "UploadText.h"

#include <QStringList>
#include <QUrl>

namespace {

// Room left in a name of 255 bytes for the parts around the base.
constexpr int kBaseBytes = 200;

// The base, cut at a character's end so that the temporary's name stays within a file name's
// 255 bytes.
QString fittedBase(const QString &base)
{
    QString fitted = base;
    while (fitted.toUtf8().size() > kBaseBytes)
        fitted.chop(fitted.size() >= 2 && fitted.at(fitted.size() - 1).isLowSurrogate() ? 2 : 1);
    return fitted;
}

// The server's folder as a path for the URL: "/abs", "/~/home/relative" (SFTP) or "/relative"
// from the FTP login's folder; no '/' at its end.
QString folderPath(const UploadServer &server)
{
    QString folder = server.folder;
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    if (server.protocol != UploadProtocol::Sftp) {
        while (folder.startsWith(u'/'))
            folder.remove(0, 1);
        return folder.isEmpty() ? QString() : u'/' + folder;
    }
    if (folder.startsWith(u'/'))
        return folder == QStringLiteral("/") ? QString() : folder;
    if (folder == u'~')
        folder.clear();
    else if (folder.startsWith(QStringLiteral("~/")))
        folder = folder.mid(2);
    return folder.isEmpty() ? QStringLiteral("/~") : QStringLiteral("/~/") + folder;
}

QByteArray encodedPath(const QString &path)
{
    QByteArray encoded;
    const QStringList parts = path.split(u'/');
    for (int i = 0; i < parts.size(); ++i) {
        if (i > 0)
            encoded += '/';
        // "~" keeps its meaning for the SFTP home; an FTP path that begins at the root says so
        // with an encoded slash, as its URL form asks.
        encoded += parts[i] == u'~' && i == 1 ? QByteArray("~") : QUrl::toPercentEncoding(parts[i]);
    }
    return encoded;
}

} // namespace

namespace RemoteNames {

QString problem(const QString &relative)
{
    if (relative.isEmpty())
        return UploadText::tr("送り先のパスが空です");
    if (relative.startsWith(u'/'))
        return UploadText::tr("送り先のパスがサーバーのフォルダーの外を指しています: %1").arg(relative);
    for (const QChar c : relative)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return UploadText::tr("送り先のパスに制御文字が含まれています: %1").arg(relative);
    for (const QString &part : relative.split(u'/'))
        if (part.isEmpty() || part == u'.' || part == QStringLiteral(".."))
            return UploadText::tr("送り先のパスがサーバーのフォルダーの外を指しています: %1").arg(relative);
    return {};
}

QString folderOf(const QString &relative)
{
    const qsizetype slash = relative.lastIndexOf(u'/');
    return slash < 0 ? QString() : relative.left(slash);
}

QString baseOf(const QString &relative)
{
    return relative.mid(relative.lastIndexOf(u'/') + 1);
}

QString temporaryName(const QString &base, const QString &run)
{
    return u'.' + fittedBase(base) + QStringLiteral(".sitekanri-") + run + QStringLiteral(".tmp");
}

QString asideName(const QString &base, const QString &run)
{
    return u'.' + fittedBase(base) + QStringLiteral(".sitekanri-") + run + QStringLiteral(".old");
}

QByteArray url(const UploadServer &server, const QString &relative)
{
    const bool sftp = server.protocol == UploadProtocol::Sftp;
    const QByteArray host = server.host.contains(u':') ? '[' + server.host.toLatin1() + ']' : QUrl::toAce(server.host);
    QByteArray path = encodedPath(folderPath(server) + u'/' + relative);
    // An absolute FTP folder: the first slash is the URL's, the one that says "from the root" is
    // encoded.
    if (!sftp && server.folder.startsWith(u'/'))
        path.insert(1, "%2F");
    return (sftp ? QByteArray("sftp://") : QByteArray("ftp://")) + host + ':'
        + QByteArray::number(server.effectivePort()) + path;
}

QByteArray commandPath(const UploadServer &server, const QString &relative)
{
    if (server.protocol != UploadProtocol::Sftp)
        return baseOf(relative).toUtf8();
    // libcurl reads an SFTP command's path between double quotes, a backslash taking the next
    // character as it is; "/~/" stands for the login's home there as in the URL.
    QByteArray path = (folderPath(server) + u'/' + relative).toUtf8();
    path.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + path + '"';
}

} // namespace RemoteNames
