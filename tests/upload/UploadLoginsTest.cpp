// The ways of logging in besides a plain key file, against the same real servers: the SSH agent,
// a key file with a passphrase, and plain FTP only once the user agreed to its password in the clear.
#include "FakeEdges.h"
#include "LocalServers.h"
#include "SecretKeeper.h"
#include "UploadRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

struct Fixture
{
    QTemporaryDir home, site;
    FakeEdges edges;
    SecretKeeper secrets{SecretKeeper::Store::SessionOnly};
    UploadPlaces places{home.filePath(QStringLiteral("known_hosts")), home.filePath(QStringLiteral("state"))};

    UploadOutcome upload(UploadServer &server, const QByteArray &page)
    {
        QFile file(site.filePath(QStringLiteral("index.html")));
        file.open(QIODevice::WriteOnly);
        file.write(page);
        file.close();
        UploadRun run(server, {{file.fileName(), QStringLiteral("index.html")}}, edges, secrets, places);
        run.run();
        server = run.server();
        return run.lines().value(0).outcome;
    }
};

TEST(UploadLoginsTest, sshAgentHoldsTheKey)
{
    SshServer ssh;
    if (const QString why = ssh.start(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    Fixture fixture;
    const QString socket = fixture.home.filePath(QStringLiteral("agent.sock"));
    QProcess agent;
    agent.start(QStringLiteral("ssh-agent"), {QStringLiteral("-D"), QStringLiteral("-a"), socket});
    for (int i = 0; i < 100 && !QFile::exists(socket); ++i)
        QThread::msleep(20);
    const QByteArray before = qgetenv("SSH_AUTH_SOCK");
    qputenv("SSH_AUTH_SOCK", QFile::encodeName(socket));
    QProcess add;
    add.start(QStringLiteral("ssh-add"), {QStringLiteral("-q"), ssh.file(QStringLiteral("user_key"))});
    add.waitForFinished();
    UploadServer server = ssh.uploadServer();
    server.sshLogin = SshLogin::Agent;
    EXPECT_EQ(fixture.upload(server, "by the agent"), UploadOutcome::Sent);
    EXPECT_EQ(fixture.edges.secretAsks, 0);
    before.isNull() ? qunsetenv("SSH_AUTH_SOCK") : qputenv("SSH_AUTH_SOCK", before);
    agent.kill();
    agent.waitForFinished();
}

TEST(UploadLoginsTest, keyPassphraseAskedAgainWhenWrong)
{
    SshServer ssh;
    if (const QString why = ssh.start(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    Fixture fixture;
    UploadServer server = ssh.uploadServer();
    server.keyFile = fixture.home.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(MakeKey(server.keyFile, QStringLiteral("pass phrase")));
    ssh.authorize(server.keyFile);
    fixture.edges.secrets = {QStringLiteral("wrong"), QStringLiteral("pass phrase")};
    EXPECT_EQ(fixture.upload(server, "locked key"), UploadOutcome::Sent);
    EXPECT_EQ(fixture.edges.secretAsks, 2);
    EXPECT_EQ(fixture.edges.askedAgain, 1);
    // Kept for the session once it worked: not asked a third time.
    EXPECT_EQ(fixture.upload(server, "locked key, again"), UploadOutcome::Sent);
    EXPECT_EQ(fixture.edges.secretAsks, 2);
}

TEST(UploadLoginsTest, plainFtpOnlyOnceTheUserAgreed)
{
    FtpServer ftp(false);
    if (const QString why = ftp.start(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    Fixture fixture;
    UploadServer server = ftp.uploadServer();
    fixture.edges.secrets = {FtpServer::password()};
    fixture.edges.allowClearText = false;
    EXPECT_EQ(fixture.upload(server, "clear"), UploadOutcome::NotSent);
    EXPECT_EQ(fixture.edges.secretAsks, 0);
    EXPECT_FALSE(QFile::exists(ftp.remote(QStringLiteral("site/index.html"))));

    fixture.edges.allowClearText = true;
    EXPECT_EQ(fixture.upload(server, "clear"), UploadOutcome::Sent);
    EXPECT_TRUE(server.clearTextAccepted);
    EXPECT_EQ(fixture.upload(server, "clear, again"), UploadOutcome::Sent);
    EXPECT_EQ(fixture.edges.clearTextAsks, 2);
}

} // namespace
