// sitekanri-cli publish --upload as a script or a person runs it, against real servers on
// 127.0.0.1 the test starts (OpenSSH's sshd, pyftpdlib with TLS): a first upload, one with nothing
// changed, one after a change; the questions asked on the terminal, and without one refused with
// the way to answer them.
#include "LocalServers.h"
#include "PublishList.h"
#include "TempRegister.h"
#include "UploadSettings.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray kPage = "<!DOCTYPE html>\n<meta charset=\"utf-8\">\n<!-- sitekanri keyword=\"%1\" -->\n<!-- /sitekanri -->\n";

class CliUploadTest : public ::testing::TestWithParam<UploadProtocol>
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
        AddRecords(reg.path(), {MakeRecord("東京新聞", "http://tokyo.example/", "ニュース"), MakeRecord("台所", "http://food.example/", "料理")});
        PublishList list;
        QDir(site.path()).mkpath(QStringLiteral("food"));
        for (const char *page : {"news.html", "food/index.html"}) {
            const QByteArray keyword = QByteArray(page) == "news.html" ? "ニュース" : "料理";
            WriteFile(site.filePath(QLatin1String(page)), QByteArray(kPage).replace("%1", keyword));
            list.pages.push_back({PageEntry::Kind::Marked, site.filePath(QLatin1String(page)), {}, {}});
        }
        list.server = QStringLiteral("web");
        ASSERT_TRUE(list.save(reg.path(), home.filePath(QStringLiteral(".config/sitekanri/publishing.ini"))));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.filePath(QStringLiteral(".config")));
        UploadServer server = remote->uploadServer();
        server.name = list.server;
        server.siteFolder = site.path();
        UploadSettings::save(server);
        shown = server.shown();
    }

    // The command with the test's own home and no secret store, without a terminal, or (given
    // `answers`) at a terminal answering its questions in turn.
    ProgramRun publish(const QStringList &options, const QStringList *answers = nullptr)
    {
        QStringList arguments{QStringLiteral("-u"), QStringLiteral("DISPLAY"), QStringLiteral("HOME=") + home.path(),
                              QStringLiteral("XDG_CONFIG_HOME=") + home.filePath(QStringLiteral(".config")),
                              QStringLiteral("XDG_STATE_HOME=") + home.filePath(QStringLiteral("state")),
                              QStringLiteral("DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent")};
        if (answers)
            arguments << QStringLiteral("/usr/bin/python3") << QStringLiteral(TEST_DATA "/tty_session.py") << transcript() << *answers
                      << QStringLiteral("--");
        else
            arguments << QStringLiteral("setsid") << QStringLiteral("-w");
        arguments << QStringLiteral(SITEKANRI_CLI_PATH) << QStringLiteral("--dir") << reg.path() << QStringLiteral("publish") << options;
        return RunProgram(QStringLiteral("/usr/bin/env"), arguments);
    }
    QString transcript() const { return home.filePath(QStringLiteral("terminal.txt")); }
    QString there(const char *path) const { return remote->remote(QStringLiteral("site/") + QLatin1String(path)); }
    // Each line's first two fields, the path under the site folder: "uploaded news.html".
    QStringList lines(const ProgramRun &run) const
    {
        QStringList found;
        for (const QString &line : QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts))
            found << line.section(u'\t', 0, 0) + u' ' + line.section(u'\t', 1, 1).remove(site.path() + u'/');
        return found;
    }

    std::unique_ptr<LocalServer> remote;
    TempRegister reg;
    QTemporaryDir home, site;
    QString shown;
};

TEST_P(CliUploadTest, firstUploadThenNothingThenTheOneChangedPage)
{
    // The first time at a terminal: the server's identity asked by its fingerprint and accepted,
    // the FTPS password typed without echo.
    const bool ftps = GetParam() == UploadProtocol::Ftps;
    const QStringList first = ftps ? QStringList{FtpServer::password(), QStringLiteral("y")} : QStringList{QStringLiteral("y")};
    ProgramRun run = publish({QStringLiteral("--upload")}, &first);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString() << ReadFile(transcript()).toStdString();
    EXPECT_EQ(lines(run), (QStringList{QStringLiteral("written news.html"), QStringLiteral("written food/index.html"),
                                       QStringLiteral("uploaded news.html"), QStringLiteral("uploaded food/index.html")}));
    for (const char *page : {"news.html", "food/index.html"})
        EXPECT_EQ(ReadFile(there(page)), ReadFile(site.filePath(QLatin1String(page)))) << page;
    const QString terminal = QString::fromUtf8(ReadFile(transcript()));
    EXPECT_TRUE(terminal.contains(remote->fingerprint())) << terminal.toStdString();
    EXPECT_FALSE(terminal.contains(FtpServer::password()));
    EXPECT_FALSE(run.out.contains(FtpServer::password().toUtf8()) || run.err.contains(FtpServer::password().toUtf8()));

    // Nothing changed: no terminal needed, nothing sent.
    run = publish({QStringLiteral("--upload")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(lines(run), (QStringList{QStringLiteral("unchanged news.html"), QStringLiteral("unchanged food/index.html"),
                                       QStringLiteral("up-to-date news.html"), QStringLiteral("up-to-date food/index.html")}));

    // One site added: the dry run tells the one page that would go, then it alone goes. The
    // server's identity is known now; only the password is asked again, by FTPS.
    AddRecords(reg.path(), {MakeRecord("毎朝", "http://asa.example/", "ニュース")});
    run = publish({QStringLiteral("--dry-run"), QStringLiteral("--upload")});
    EXPECT_EQ(lines(run), (QStringList{QStringLiteral("changes news.html"), QStringLiteral("unchanged food/index.html"),
                                       QStringLiteral("would-upload news.html"), QStringLiteral("up-to-date food/index.html")}));
    EXPECT_FALSE(ReadFile(there("news.html")).contains("asa.example"));
    const QStringList again = ftps ? QStringList{FtpServer::password()} : QStringList{};
    run = publish({QStringLiteral("--upload")}, &again);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString() << ReadFile(transcript()).toStdString();
    // Lines come as each file is known: one up to date before one sent.
    EXPECT_EQ(lines(run), (QStringList{QStringLiteral("written news.html"), QStringLiteral("unchanged food/index.html"),
                                       QStringLiteral("up-to-date food/index.html"), QStringLiteral("uploaded news.html")}));
    EXPECT_TRUE(ReadFile(there("news.html")).contains("asa.example"));
}

// Without a terminal nothing is asked: the file is not sent, exit 1, and standard error says how
// to answer once (a terminal, or the window), never by an argument.
TEST_P(CliUploadTest, withoutATerminalTheQuestionIsRefusedAndSaysHowToAnswerIt)
{
    const ProgramRun run = publish({QStringLiteral("--upload")});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList shownLines = lines(run);
    ASSERT_EQ(shownLines.size(), 4) << run.out.toStdString();
    EXPECT_TRUE(shownLines[2].startsWith(GetParam() == UploadProtocol::Sftp ? QStringLiteral("upload-failed news.html")
                                                                             : QStringLiteral("not-uploaded news.html")))
        << shownLines[2].toStdString();
    const QString err = QString::fromUtf8(run.err);
    EXPECT_TRUE(err.contains(QString::fromUtf8("端末で一度")) && err.contains(QString::fromUtf8("ウィンドウの「公開」")))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(there("news.html")));
}

INSTANTIATE_TEST_SUITE_P(Servers, CliUploadTest, ::testing::Values(UploadProtocol::Sftp, UploadProtocol::Ftps),
                         [](const auto &info) { return UploadProtocolName(info.param).toStdString(); });

// Where the publication names no server, --upload says so before anything is written.
TEST(CliUpload, withoutAServerNothingIsWritten)
{
    TempRegister reg;
    QTemporaryDir home;
    WriteFile(home.filePath(QStringLiteral("news.html")), QByteArray(kPage).replace("%1", ""));
    const ProgramRun run = RunProgram(QStringLiteral("/usr/bin/env"),
                                      {QStringLiteral("XDG_CONFIG_HOME=") + home.path(), QStringLiteral(SITEKANRI_CLI_PATH), QStringLiteral("--dir"),
                                       reg.path(), QStringLiteral("publish"), QStringLiteral("--upload"), home.filePath(QStringLiteral("news.html"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(QString::fromUtf8("アップロード先がありません"))) << run.err.toStdString();
    EXPECT_EQ(ReadFile(home.filePath(QStringLiteral("news.html"))), QByteArray(kPage).replace("%1", ""));
}

} // namespace
