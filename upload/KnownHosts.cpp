#include "KnownHosts.h"

#include "SystemReason.h"

#include <QDir>
#include <QFileInfo>
#include <QCryptographicHash>
#include <QMessageAuthenticationCode>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace KnownHosts {

QString userFile()
{
    return QDir::homePath() + QStringLiteral("/.ssh/known_hosts");
}

QString hostPattern(const QString &host, int port)
{
    return port == 22 ? host : u'[' + host + QStringLiteral("]:") + QString::number(port);
}

QString keyType(const QByteArray &key)
{
    if (key.size() < 4)
        return {};
    const quint32 length = quint32(uchar(key[0])) << 24 | quint32(uchar(key[1])) << 16 | quint32(uchar(key[2])) << 8
        | quint32(uchar(key[3]));
    if (length == 0 || length > 64 || qsizetype(length) > key.size() - 4)
        return {};
    return QString::fromLatin1(key.mid(4, length));
}

QString fingerprint(const QByteArray &key)
{
    const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha256);
    return QStringLiteral("SHA256:")
        + QString::fromLatin1(digest.toBase64(QByteArray::Base64Encoding | QByteArray::OmitTrailingEquals));
}

QByteArray hashedLine(const QString &pattern, const QByteArray &key, const QByteArray &salt)
{
    const QByteArray hash = QMessageAuthenticationCode::hash(pattern.toUtf8(), salt, QCryptographicHash::Sha1);
    return "|1|" + salt.toBase64() + '|' + hash.toBase64() + ' ' + keyType(key).toLatin1() + ' ' + key.toBase64()
        + '\n';
}

IoResult append(const QString &path, const QByteArray &line)
{
    const QString folder = QFileInfo(path).path();
    if (!QFileInfo::exists(folder) && ::mkdir(QFile::encodeName(folder).constData(), 0700) != 0)
        return IoResult::failure(folder, SystemReason(errno), errno);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return IoResult::failure(path, SystemReason(errno), errno);
    // A last line without its line end would run into ours.
    QByteArray text = line;
    char last = '\n';
    if (::lseek(fd, 0, SEEK_END) > 0 && ::pread(fd, &last, 1, ::lseek(fd, 0, SEEK_END) - 1) == 1 && last != '\n')
        text.prepend('\n');
    const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size() && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    return written ? IoResult::success() : IoResult::failure(path, SystemReason(error), error);
}

} // namespace KnownHosts
