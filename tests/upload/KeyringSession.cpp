// The password of an FTPS server kept in the desktop's secret store: run by keyring_session.sh
// in a D-Bus session with a gnome-keyring of the test's own, HOME a folder made for it.
#include "FakeEdges.h"
#include "LocalServers.h"
#include "SecretKeeper.h"
#include "UploadRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

namespace {

UploadOutcome upload(UploadServer &server, UploadEdges &edges, const QByteArray &page)
{
    const QString home = QDir::homePath();
    QFile file(home + QStringLiteral("/site/index.html"));
    QDir().mkpath(home + QStringLiteral("/site"));
    file.open(QIODevice::WriteOnly);
    file.write(page);
    file.close();
    // A keeper of its own for each run: the second finds the password in the store, not in memory.
    SecretKeeper secrets(SecretKeeper::Store::Desktop);
    UploadRun run(server, {{file.fileName(), QStringLiteral("index.html")}}, edges, secrets,
                  {home + QStringLiteral("/.ssh/known_hosts"), home + QStringLiteral("/.local/state/sitekanri")});
    // On a thread of its own, as the window runs it: the store's answers come through that
    // thread's event loop.
    QThread *worker = QThread::create([&run] { run.run(); });
    worker->start();
    while (!worker->wait(10))
        QCoreApplication::processEvents();
    delete worker;
    server = run.server();
    EXPECT_TRUE(secrets.storeAvailable());
    return run.lines().value(0).outcome;
}

TEST(KeyringSession, passwordLivesInTheSecretStoreAndInNoFile)
{
    if (qEnvironmentVariableIsEmpty("SITEKANRI_KEYRING_SESSION"))
        GTEST_SKIP() << "runs only through keyring_session.sh, in a secret store of its own";
    FtpServer ftp(true);
    if (const QString why = ftp.start(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    UploadServer server = ftp.uploadServer();

    FakeEdges first;
    first.secrets = {FtpServer::password()};
    ASSERT_EQ(upload(server, first, "one"), UploadOutcome::Sent);
    EXPECT_EQ(first.secretAsks, 1);
    FakeEdges second; // knows no password: the store must
    ASSERT_EQ(upload(server, second, "two"), UploadOutcome::Sent);
    EXPECT_EQ(second.secretAsks, 0);

    // The Secret Service itself holds it, as its own tool reads it.
    QString stored;
    EXPECT_TRUE(RunTool(QStringLiteral("secret-tool"), "lookup server sitekanri user", {server.passwordKey()},
                        &stored));
    EXPECT_EQ(stored, FtpServer::password());
    QStringList holding;
    for (QDirIterator it(QDir::homePath(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories); it.hasNext();) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(FtpServer::password().toUtf8()))
            holding << file.fileName();
    }
    EXPECT_EQ(holding, QStringList());

    // Not to be remembered: the store holds it no more, this program does until it ends.
    SecretKeeper().forget(server.passwordKey());
    FakeEdges unremembered;
    unremembered.secrets = {FtpServer::password()};
    unremembered.remember = false;
    ASSERT_EQ(upload(server, unremembered, "three"), UploadOutcome::Sent);
    EXPECT_FALSE(RunTool(QStringLiteral("secret-tool"), "lookup server sitekanri user", {server.passwordKey()}));
    FakeEdges later;
    ASSERT_EQ(upload(server, later, "four"), UploadOutcome::Sent);
    EXPECT_EQ(later.secretAsks, 0);
}

} // namespace
