// Uploads to real servers on 127.0.0.1 that the tests start: OpenSSH's sshd (SFTP) and pyftpdlib
// (FTPS with a self-signed certificate), each run of UploadRun as the window or the command line
// would make it.
#include "FakeEdges.h"
#include "LocalServers.h"
#include "SecretKeeper.h"
#include "UploadRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator::global()->generate(bytes.begin(), bytes.end());
    return bytes;
}

// Whatever a run left under `folder` besides the files themselves.
QStringList leftovers(const QString &folder)
{
    QStringList found;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        if (const QString name = it.next(); name.contains(QStringLiteral(".sitekanri-")))
            found << name;
    return found;
}

class UploadServersTest : public ::testing::TestWithParam<UploadProtocol>
{
protected:
    void SetUp() override
    {
        if (GetParam() == UploadProtocol::Sftp)
            remote = std::make_unique<SshServer>();
        else
            remote = std::make_unique<FtpServer>(true);
        if (const QString why = remote->start(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        server = remote->uploadServer();
        edges.secrets = {FtpServer::password()};
        places.knownHostsFile = home.filePath(QStringLiteral(".ssh/known_hosts"));
        places.recordFolder = home.filePath(QStringLiteral("state"));
    }

    void restart()
    {
        remote->kill();
        const QString why = remote->start();
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    }

    QString local(const QString &path) const { return siteDir.filePath(path); }
    QString there(const QString &path) const { return remote->remote(QStringLiteral("site/") + path); }

    QList<UploadItem> items(const QStringList &paths) const
    {
        QList<UploadItem> list;
        for (const QString &path : paths)
            list.append({local(path), path});
        return list;
    }

    // Runs an upload of `paths`; `during` sees each file's progress.
    std::unique_ptr<UploadRun> upload(const QStringList &paths,
                                      std::function<void(UploadRun &, const QString &, qint64, qint64)> during = {})
    {
        auto run = std::make_unique<UploadRun>(server, items(paths), edges, secrets, places);
        if (during)
            QObject::connect(run.get(), &UploadRun::progress, run.get(),
                             [&, raw = run.get()](const QString &path, qint64 sent, qint64 total) { during(*raw, path, sent, total); });
        run->run();
        server = run->server();
        return run;
    }

    static QList<UploadOutcome> outcomes(const UploadRun &run)
    {
        QList<UploadOutcome> list;
        for (const UploadLine &line : run.lines())
            list.append(line.outcome);
        return list;
    }

    std::unique_ptr<LocalServer> remote;
    UploadServer server;
    FakeEdges edges;
    SecretKeeper secrets{SecretKeeper::Store::SessionOnly};
    QTemporaryDir home;
    QTemporaryDir siteDir;
    UploadPlaces places;
};

using Outcomes = QList<UploadOutcome>;
constexpr UploadOutcome Sent = UploadOutcome::Sent;
constexpr UploadOutcome Unchanged = UploadOutcome::Unchanged;

TEST_P(UploadServersTest, sendsWhatChangedAndNothingWhenNothingDid)
{
    const QStringList paths{QStringLiteral("index.html"), QStringLiteral("blog/a.html"), QStringLiteral("blog/2026/b b.html")};
    for (const QString &path : paths)
        writeFile(local(path), "new " + path.toUtf8());
    // A page the server already has, of another version: replaced in place.
    writeFile(there(QStringLiteral("index.html")), "old page");

    auto first = upload(paths);
    ASSERT_EQ(outcomes(*first), (Outcomes{Sent, Sent, Sent})) << first->lines().first().reason.toStdString();
    for (const QString &path : paths)
        EXPECT_EQ(readAll(there(path)), "new " + path.toUtf8()) << path.toStdString();
    EXPECT_EQ(leftovers(there(QString())), QStringList());
    // The identity of the server was asked about once, by the fingerprint its own tools show.
    EXPECT_EQ(edges.identitiesShown, QStringList{remote->fingerprint()});
    // The accepted host key is one ssh itself finds for that host and port.
    if (GetParam() == UploadProtocol::Sftp) {
        EXPECT_TRUE(RunTool(QStringLiteral("ssh-keygen"), "-F",
                            {QStringLiteral("[127.0.0.1]:%1").arg(server.port), QStringLiteral("-f"), places.knownHostsFile}));
    }

    // Nothing changed: nothing is sent, and the server is not even asked (it is down).
    remote->kill();
    EXPECT_EQ(outcomes(*upload(paths)), (Outcomes{Unchanged, Unchanged, Unchanged}));

    restart();
    writeFile(local(paths[1]), "changed");
    auto third = upload(paths);
    EXPECT_EQ(outcomes(*third), (Outcomes{Unchanged, Sent, Unchanged}));
    EXPECT_EQ(readAll(there(QStringLiteral("blog/a.html"))), "changed");
    EXPECT_EQ(leftovers(there(QString())), QStringList());
    EXPECT_EQ(edges.identitiesShown.size(), 1);
}

// A server killed in the middle of a file, or an upload cancelled there: the old file stays whole
// and the next run completes it, removing what the first left.
TEST_P(UploadServersTest, fileCutOffStaysOldAndNextRunCompletesIt)
{
    for (const bool killed : {true, false}) {
        SCOPED_TRACE(killed ? "server killed" : "cancelled");
        const QByteArray old = randomBytes(4 << 20), fresh = randomBytes(24 << 20);
        writeFile(there(QStringLiteral("big.html")), old);
        writeFile(local(QStringLiteral("big.html")), fresh);
        bool stopped = false;
        auto cut = upload({QStringLiteral("big.html")}, [&](UploadRun &run, const QString &, qint64 sent, qint64 total) {
            if (stopped || sent < total / 4)
                return;
            stopped = true;
            killed ? remote->kill() : run.cancel();
        });
        ASSERT_TRUE(stopped);
        ASSERT_EQ(cut->lines().size(), 1);
        const UploadLine line = cut->lines().first();
        EXPECT_EQ(line.outcome, killed ? UploadOutcome::Failed : UploadOutcome::NotSent);
        const QString text = line.text(server);
        EXPECT_TRUE(text.contains(QStringLiteral("big.html")) && text.contains(server.shown())
                    && text.contains(killed ? QStringLiteral("接続が切れました") : QStringLiteral("中止しました")))
            << text.toStdString();
        EXPECT_TRUE(readAll(there(QStringLiteral("big.html"))) == old);

        if (killed)
            restart();
        EXPECT_EQ(outcomes(*upload({QStringLiteral("big.html")})), Outcomes{Sent});
        EXPECT_TRUE(readAll(there(QStringLiteral("big.html"))) == fresh);
        EXPECT_EQ(leftovers(there(QString())), QStringList());
    }
}

TEST_P(UploadServersTest, refusedLoginIsNamedAndSendsNothing)
{
    writeFile(local(QStringLiteral("index.html")), "new");
    writeFile(there(QStringLiteral("index.html")), "old");
    QTemporaryDir keys;
    if (GetParam() == UploadProtocol::Sftp) {
        // A key the server does not know.
        server.keyFile = keys.filePath(QStringLiteral("other"));
        ASSERT_TRUE(MakeKey(server.keyFile));
    } else {
        edges.secrets = {QStringLiteral("wrong")};
    }
    auto run = upload({QStringLiteral("index.html")});
    ASSERT_EQ(run->lines().size(), 1);
    const QString text = run->lines().first().text(server);
    EXPECT_TRUE(text.startsWith(QStringLiteral("失敗 index.html: ") + server.shown() + QStringLiteral(": 認証が拒否されました")))
        << text.toStdString();
    EXPECT_EQ(readAll(there(QStringLiteral("index.html"))), "old");
    // A password refused is asked for again, a few times, never without end.
    if (GetParam() == UploadProtocol::Ftps) {
        EXPECT_GE(edges.askedAgain, 1);
        EXPECT_LE(edges.askedAgain, 3);
        // A refused password is not kept: the next run asks afresh (and stops, the user gives none).
        edges = FakeEdges();
        EXPECT_EQ(outcomes(*upload({QStringLiteral("index.html")})), Outcomes{UploadOutcome::NotSent});
        EXPECT_EQ(edges.secretAsks, 1);
        EXPECT_EQ(edges.askedAgain, 0);
    }
}

TEST_P(UploadServersTest, changedServerIdentityIsRefused)
{
    writeFile(local(QStringLiteral("index.html")), "first");
    ASSERT_EQ(outcomes(*upload({QStringLiteral("index.html")})), Outcomes{Sent});
    remote->changeIdentity();
    restart();
    writeFile(local(QStringLiteral("index.html")), "second");
    edges.trustServer = false;
    auto run = upload({QStringLiteral("index.html")});
    ASSERT_EQ(outcomes(*run), Outcomes{UploadOutcome::Failed});
    const QString reason = run->lines().first().reason;
    if (GetParam() == UploadProtocol::Sftp)
        EXPECT_TRUE(reason.contains(QStringLiteral("ホスト鍵")) && reason.contains(QStringLiteral("なりすまし"))) << reason.toStdString();
    else
        EXPECT_TRUE(reason.contains(QStringLiteral("証明書を信頼できません")) && edges.changedCertificates == 1) << reason.toStdString();
    EXPECT_EQ(readAll(there(QStringLiteral("index.html"))), "first");
}

TEST_P(UploadServersTest, unknownServerNotTrustedIsNotRemembered)
{
    edges.trustServer = false;
    writeFile(local(QStringLiteral("index.html")), "page");
    ASSERT_EQ(outcomes(*upload({QStringLiteral("index.html")})), Outcomes{UploadOutcome::Failed});
    EXPECT_FALSE(QFile::exists(places.knownHostsFile));
    EXPECT_TRUE(server.certificatePin.isEmpty());
    EXPECT_FALSE(QFile::exists(there(QStringLiteral("index.html"))));
    // Asked again next time: nothing was remembered.
    upload({QStringLiteral("index.html")});
    EXPECT_EQ(edges.identitiesShown.size(), 2);
}

// A server whose disk fills up during a file: that file stays old, its temporary goes, and the
// next file of the run still goes (once the temporary made room).
TEST_P(UploadServersTest, fullDiskLeavesTheOldFileAndTheRunGoesOn)
{
    if (GetParam() == UploadProtocol::Ftps)
        GTEST_SKIP() << "pyftpdlib never answers a write its disk refused";
    if (::getuid() != 0)
        GTEST_SKIP() << "mounting a small disk for the server needs root";
    if (!RunTool(QStringLiteral("mount"), "-t tmpfs -o size=1m tmpfs", {there(QString())}))
        GTEST_SKIP() << "cannot mount a tmpfs here";
    writeFile(there(QStringLiteral("big.html")), "old");
    writeFile(local(QStringLiteral("big.html")), randomBytes(4 << 20));
    writeFile(local(QStringLiteral("small.html")), "small");
    auto run = upload({QStringLiteral("big.html"), QStringLiteral("small.html")});
    EXPECT_EQ(outcomes(*run), (Outcomes{UploadOutcome::Failed, Sent}));
    EXPECT_TRUE(run->lines().first().reason.contains(QStringLiteral("空き容量"))) << run->lines().first().reason.toStdString();
    EXPECT_EQ(readAll(there(QStringLiteral("big.html"))), "old");
    EXPECT_EQ(leftovers(there(QString())), QStringList());
    RunTool(QStringLiteral("umount"), "", {there(QString())});
}

INSTANTIATE_TEST_SUITE_P(Servers, UploadServersTest, ::testing::Values(UploadProtocol::Sftp, UploadProtocol::Ftps),
                         [](const auto &info) { return UploadProtocolName(info.param).toStdString(); });

} // namespace
