#include "UploadServer.h"

#include "UploadText.h"

#include <QDir>

namespace {

bool hasControl(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return false;
}

} // namespace

QString UploadProtocolName(UploadProtocol protocol)
{
    switch (protocol) {
    case UploadProtocol::Sftp: return QStringLiteral("sftp");
    case UploadProtocol::Ftps: return QStringLiteral("ftps");
    case UploadProtocol::Ftp: return QStringLiteral("ftp");
    }
    return {};
}

bool UploadProtocolFromName(const QString &name, UploadProtocol &protocol)
{
    for (const UploadProtocol each : {UploadProtocol::Sftp, UploadProtocol::Ftps, UploadProtocol::Ftp})
        if (name == UploadProtocolName(each)) {
            protocol = each;
            return true;
        }
    return false;
}

int UploadServer::effectivePort() const
{
    return port > 0 ? port : protocol == UploadProtocol::Sftp ? 22 : 21;
}

QString UploadServer::identity() const
{
    return UploadProtocolName(protocol) + QStringLiteral("://") + user + u'@' + host + u':'
        + QString::number(effectivePort()) + u'/' + folder;
}

QString UploadServer::shown() const
{
    return user + u'@' + host + u':' + QString::number(effectivePort());
}

QString UploadServer::problem() const
{
    // A host or user that could end the URL's authority, or a line, early would send the login
    // somewhere else than the user wrote.
    if (host.isEmpty())
        return UploadText::tr("サーバーのホスト名が指定されていません");
    for (const QChar c : host)
        if (c.isSpace() || QStringLiteral("/@?#\\[]").contains(c))
            return UploadText::tr("ホスト名に使えない文字が含まれています: %1").arg(host);
    if (hasControl(host) || hasControl(user) || hasControl(folder) || hasControl(keyFile))
        return UploadText::tr("設定に制御文字が含まれています");
    if (user.isEmpty())
        return UploadText::tr("ユーザー名が指定されていません");
    if (port < 0 || port > 65535)
        return UploadText::tr("ポート番号が正しくありません: %1").arg(port);
    if (protocol == UploadProtocol::Sftp && sshLogin == SshLogin::KeyFile && keyFile.isEmpty())
        return UploadText::tr("鍵ファイルが指定されていません");
    return {};
}

QString UploadServer::remotePathOf(const QString &file) const
{
    if (siteFolder.isEmpty())
        return {};
    const QString root = QDir::cleanPath(QDir(siteFolder).absolutePath());
    const QString path = QDir::cleanPath(QDir(siteFolder).absoluteFilePath(file));
    if (!path.startsWith(root + u'/') && !(root == u'/' && path.size() > 1))
        return {};
    return path.mid(root == u'/' ? 1 : root.size() + 1);
}
