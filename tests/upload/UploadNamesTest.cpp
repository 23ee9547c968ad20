// Names on the server and the known_hosts line, checked against what OpenSSH's own tools read.
#include "FakeEdges.h"
#include "KnownHosts.h"
#include "SecretKeeper.h"
#include "UploadRun.h"
#include "LocalServers.h"

#include <QFileInfo>
#include "RemoteNames.h"
#include "SshKeyFile.h"
#include "UploadSettings.h"

#include <QSettings>

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

TEST(UploadNamesTest, aFilesPlaceIsItsPathUnderTheSiteFolder)
{
    UploadServer server;
    server.siteFolder = QStringLiteral("/home/me/site/");
    for (const auto &[file, place] : {std::pair{"/home/me/site/blog/a.html", "blog/a.html"}, {"/home/me/site/./x/../b.html", "b.html"},
                                      {"/home/me/site", ""}, {"/home/me/site2/a.html", ""}, {"/home/me/site/../a.html", ""}})
        EXPECT_EQ(server.remotePathOf(QString::fromUtf8(file)), QString::fromUtf8(place)) << file;
}

// A file outside the site folder has no place on the server: its line names it, and no server is asked.
TEST(UploadNamesTest, aFileOutsideTheSiteFolderIsNamedAndNotSent)
{
    QTemporaryDir state;
    UploadServer server{QStringLiteral("s"), UploadProtocol::Sftp, QStringLiteral("127.0.0.1"), 1, QStringLiteral("me"),
                        {}, QStringLiteral("/home/me/site"), SshLogin::Agent, {}, {}, false};
    FakeEdges edges;
    SecretKeeper secrets(SecretKeeper::Store::SessionOnly);
    UploadRun run(server, UploadRun::itemsOf(server, {QStringLiteral("/home/me/other/a.html")}), edges, secrets, {{}, state.path()});
    run.run();
    ASSERT_EQ(run.lines().size(), 1);
    EXPECT_EQ(run.lines()[0].text(server), QString::fromUtf8("失敗 /home/me/other/a.html: me@127.0.0.1:1: サイトのフォルダー /home/me/site の外にあるため、送れません"));
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
    const QString name = RemoteNames::temporaryName(base, QStringLiteral("0123abcd"));
    EXPECT_LE(name.toUtf8().size(), 255);
    EXPECT_TRUE(name.startsWith(u'.' + base.left(60)));
}

// The line for an accepted host goes after the user's own lines, whole, on a line of its own (ssh
// reading it under the host's name and port is seen after a real run).
TEST(UploadNamesTest, knownHostsKeepsWhatItHeld)
{
    QTemporaryDir dir;
    const QString known = dir.filePath(QStringLiteral("ssh/known_hosts"));
    ASSERT_TRUE(KnownHosts::append(known, "# the user's own line, without its end"));
    ASSERT_TRUE(KnownHosts::append(known, KnownHosts::hashedLine(QStringLiteral("h"), QByteArray("\0\0\0\x0bssh-ed25519", 15), "salt")));
    QFile text(known);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_TRUE(text.readAll().startsWith("# the user's own line, without its end\n|1|c2FsdA==|")) << known.toStdString();
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("ssh"))).permissions() & 0x0077, 0) << "others may not read the folder";
}

TEST(UploadNamesTest, keyFileWithPassphraseIsKnownAsSuch)
{
    QTemporaryDir dir;
    struct Case { const char *type, *passphrase, *format; bool encrypted; };
    for (const Case c : {Case{"ed25519", "", "RFC4716", false}, Case{"ed25519", "secret", "RFC4716", true},
                         Case{"rsa", "secret", "PEM", true}, Case{"rsa", "", "PEM", false}}) {
        const QString key = dir.filePath(QString::fromLatin1(c.type) + QString::fromLatin1(c.passphrase) + QString::fromLatin1(c.format));
        ASSERT_TRUE(RunTool(QStringLiteral("ssh-keygen"), "-q -t", {QString::fromLatin1(c.type), QStringLiteral("-m"), QString::fromLatin1(c.format),
                                                           QStringLiteral("-N"), QString::fromLatin1(c.passphrase), QStringLiteral("-f"), key}));
        EXPECT_EQ(SshKeyFileIsEncrypted(key), c.encrypted) << key.toStdString();
    }
}

TEST(UploadNamesTest, settingsKeepEachServerAndReplaceOneByName)
{
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    UploadServer first{QStringLiteral("自分のサイト"), UploadProtocol::Sftp, QStringLiteral("example.jp"), 2222, QStringLiteral("me"),
                       QStringLiteral("~/public_html"), QStringLiteral("/home/me/site"), SshLogin::KeyFile, QStringLiteral("/home/me/.ssh/id_ed25519"), {}, false};
    UploadServer second{QStringLiteral("rental"), UploadProtocol::Ftps, QStringLiteral("ftp.example.jp"), 0, QStringLiteral("u"),
                        {}, {}, SshLogin::Agent, {}, QStringLiteral("SHA256:AB:CD"), true};
    UploadSettings::save(first);
    UploadSettings::save(second);
    first.folder = QStringLiteral("/srv/www");
    UploadSettings::save(first);
    const QList<UploadServer> servers = UploadSettings::load();
    ASSERT_EQ(servers.size(), 2);
    EXPECT_EQ(servers[0].identity(), first.identity());
    EXPECT_EQ(servers[0].sshLogin, SshLogin::KeyFile);
    EXPECT_EQ(servers[0].keyFile, first.keyFile);
    EXPECT_EQ(servers[0].siteFolder, first.siteFolder);
    EXPECT_EQ(UploadSettings::find(QStringLiteral("rental")).certificatePin, second.certificatePin);
    EXPECT_TRUE(UploadSettings::find(QStringLiteral("rental")).clearTextAccepted);
    UploadSettings::remove(QStringLiteral("自分のサイト"));
    EXPECT_EQ(UploadSettings::load().size(), 1);
}

} // namespace
