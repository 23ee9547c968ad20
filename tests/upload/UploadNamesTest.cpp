// Names on the server and the known_hosts line, checked against what OpenSSH's own tools read.
#include "KnownHosts.h"
#include "LocalServers.h"
#include "RemoteNames.h"
#include "SshKeyFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(UploadNamesTest, remotePathsThatLeaveTheFolderOrEndALineAreRefused)
{
    for (const char *path : {"", "/etc/passwd", "../x.html", "a/../../x", "a//b", "./a", "a\nDELE index.html", "a\rb", "a\x7f"})
        EXPECT_FALSE(RemoteNames::problem(QString::fromUtf8(path)).isEmpty()) << path;
    for (const char *path : {"index.html", "ブログ/日記 1.html", "a/b/c/.htaccess", "a..b"})
        EXPECT_TRUE(RemoteNames::problem(QString::fromUtf8(path)).isEmpty()) << path;
}

TEST(UploadNamesTest, urlsAndCommandsNameTheFolderAsEachProtocolDoes)
{
    struct Case
    {
        UploadProtocol protocol;
        const char *folder, *relative, *url, *command;
    };
    const Case cases[] = {
        {UploadProtocol::Sftp, "/var/www/", "a b/#1.html", "sftp://h:22/var/www/a%20b/%231.html", "\"/var/www/a b/#1.html\""},
        {UploadProtocol::Sftp, "~/public_html", "x.html", "sftp://h:22/~/public_html/x.html", "\"/~/public_html/x.html\""},
        {UploadProtocol::Sftp, "", "q\"\\.html", "sftp://h:22/~/q%22%5C.html", "\"/~/q\\\"\\\\.html\""},
        {UploadProtocol::Ftps, "public_html", "d/x.html", "ftp://h:21/public_html/d/x.html", "x.html"},
        {UploadProtocol::Ftps, "/srv/site", "x.html", "ftp://h:21/%2Fsrv/site/x.html", "x.html"},
        {UploadProtocol::Ftp, "", "x.html", "ftp://h:21/x.html", "x.html"},
    };
    for (const Case &c : cases) {
        UploadServer server;
        server.protocol = c.protocol;
        server.host = QStringLiteral("h");
        server.folder = QString::fromUtf8(c.folder);
        const QString relative = QString::fromUtf8(c.relative);
        EXPECT_EQ(RemoteNames::url(server, relative), QByteArray(c.url)) << c.folder << ' ' << c.relative;
        EXPECT_EQ(RemoteNames::commandPath(server, relative), QByteArray(c.command)) << c.folder << ' ' << c.relative;
    }
}

TEST(UploadNamesTest, temporaryOfALongNameStaysWithinAFileName)
{
    const QString base = QString(120, QChar(0x65E5)) + QStringLiteral(".html"); // 365 bytes in UTF-8
    for (const QString &name : {RemoteNames::temporaryName(base, QStringLiteral("0123abcd")),
                                RemoteNames::asideName(base, QStringLiteral("0123abcd"))}) {
        EXPECT_LE(name.toUtf8().size(), 255);
        EXPECT_TRUE(name.startsWith(u'.' + base.left(60)));
    }
}

// The line added for an accepted host is one ssh itself finds under the host's name, hashed.
TEST(UploadNamesTest, knownHostsLineIsOneSshFinds)
{
    QTemporaryDir dir;
    const QString key = dir.filePath(QStringLiteral("key"));
    ASSERT_TRUE(RunTool(QStringLiteral("ssh-keygen"), {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ecdsa"),
                                                       QStringLiteral("-N"), QString(), QStringLiteral("-f"), key}));
    QFile pub(key + QStringLiteral(".pub"));
    ASSERT_TRUE(pub.open(QIODevice::ReadOnly));
    const QByteArray blob = QByteArray::fromBase64(pub.readAll().split(' ').value(1));
    const QString known = dir.filePath(QStringLiteral("ssh/known_hosts"));
    {
        QFile existing(known);
        ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("ssh"))) && existing.open(QIODevice::WriteOnly));
        existing.write("# the user's own line, without its end"); // kept, and not run into
    }
    ASSERT_TRUE(KnownHosts::append(known, KnownHosts::hashedLine(QStringLiteral("[127.0.0.1]:2222"), blob, QByteArray(20, 'x'))));
    QString found;
    ASSERT_TRUE(RunTool(QStringLiteral("ssh-keygen"), {QStringLiteral("-F"), QStringLiteral("[127.0.0.1]:2222"), QStringLiteral("-f"), known}, &found));
    EXPECT_TRUE(found.contains(QStringLiteral("ecdsa-sha2-nistp256"))) << found.toStdString();
    EXPECT_FALSE(RunTool(QStringLiteral("ssh-keygen"), {QStringLiteral("-F"), QStringLiteral("127.0.0.1"), QStringLiteral("-f"), known}));
    QString listed;
    ASSERT_TRUE(RunTool(QStringLiteral("ssh-keygen"), {QStringLiteral("-l"), QStringLiteral("-E"), QStringLiteral("sha256"), QStringLiteral("-f"),
                                                       key + QStringLiteral(".pub")}, &listed));
    EXPECT_EQ(listed.section(u' ', 1, 1), KnownHosts::fingerprint(blob));
    QFile text(known);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_TRUE(text.readAll().startsWith("# the user's own line, without its end\n|1|"));
}

TEST(UploadNamesTest, keyFileWithPassphraseIsKnownAsSuch)
{
    QTemporaryDir dir;
    struct Case { const char *type, *passphrase, *format; bool encrypted; };
    for (const Case c : {Case{"ed25519", "", "RFC4716", false}, Case{"ed25519", "secret", "RFC4716", true},
                         Case{"rsa", "secret", "PEM", true}, Case{"rsa", "", "PEM", false}}) {
        const QString key = dir.filePath(QString::fromLatin1(c.type) + QString::fromLatin1(c.passphrase) + QString::fromLatin1(c.format));
        ASSERT_TRUE(RunTool(QStringLiteral("ssh-keygen"), {QStringLiteral("-q"), QStringLiteral("-t"), QString::fromLatin1(c.type),
                                                           QStringLiteral("-m"), QString::fromLatin1(c.format), QStringLiteral("-N"),
                                                           QString::fromLatin1(c.passphrase), QStringLiteral("-f"), key}));
        EXPECT_EQ(SshKeyFileIsEncrypted(key), c.encrypted) << key.toStdString();
    }
}

} // namespace
