// 公開 sends the written pages to the publication's server, a real one on 127.0.0.1 the test
// starts: the questions open as dialogs while the window goes on, and 中止 leaves the server's
// page as it was.
#include "AppTestSupport.h"
#include "LocalServers.h"
#include "PublishControl.h"
#include "PublishDialog.h"
#include "PublishUpload.h"
#include "StatusLine.h"
#include "UploadPanel.h"
#include "UploadServerDialog.h"
#include "UploadSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {

const QByteArray kPage = "<!DOCTYPE html>\n<meta charset=\"utf-8\">\n<!-- sitekanri -->\n<!-- /sitekanri -->\n";

QPushButton *button(QWidget *in, const char *text)
{
    for (QPushButton *each : in->findChildren<QPushButton *>())
        if (each->text() == QString::fromUtf8(text))
            return each;
    return nullptr;
}

class PublishUploadWindowTest : public WindowTest
{
protected:
    void SetUp() override
    {
        // known_hosts under a home of the test's own; the desktop's secret store out of reach, so
        // that nothing the test types reaches the user's own.
        for (const char *name : {"HOME", "DBUS_SESSION_BUS_ADDRESS"})
            saved.emplace_back(name, qgetenv(name));
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    }
    void TearDown() override
    {
        for (const auto &[name, value] : saved)
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }

    // The FTPS server of the test as the publication's server, its page news.html.
    void setUp(FtpServer &ftp, const QByteArray &page, bool pinned)
    {
        if (const QString why = ftp.start(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        server = ftp.uploadServer();
        server.name = QString::fromUtf8("テスト");
        server.siteFolder = site.path();
        if (pinned)
            server.certificatePin = ftp.fingerprint();
        UploadSettings::save(server);
        WriteFile(site.filePath(QStringLiteral("news.html")), page);
        PublishList list;
        list.pages.push_back({PageEntry::Kind::Marked, site.filePath(QStringLiteral("news.html")), {}, {}});
        list.server = server.name;
        ASSERT_TRUE(list.save(reg.path()));
        start({MakeRecord("東京新聞", "http://tokyo.example/", "ニュース")});
    }

    PublishDialog *publish()
    {
        QTest::keySequence(dialog.get(), QKeySequence(Qt::CTRL | Qt::Key_P));
        PublishDialog *shown = dialog->publishing()->dialog();
        if (shown)
            button(shown, "公開")->click();
        return shown;
    }

    // The question open now with that object name, once it is there.
    QWidget *question(const char *name, int waitMs = 10000) const
    {
        QWidget *found = nullptr;
        (void)QTest::qWaitFor([&] {
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (widget->objectName() == QLatin1String(name) && widget->isVisible())
                    found = widget;
            return found != nullptr;
        }, waitMs);
        return found;
    }
    void givePassword()
    {
        QWidget *asked = question("uploadSecret");
        ASSERT_TRUE(asked);
        auto *line = asked->findChild<QLineEdit *>();
        TypeText(line, FtpServer::password());
        EXPECT_EQ(line->echoMode(), QLineEdit::Password);
        EXPECT_FALSE(asked->findChild<QCheckBox *>()->isEnabled()) << "no store here: nothing to keep it in";
        button(asked, "OK")->click();
    }
    bool uploaded() const
    {
        return QTest::qWaitFor([this] { return dialog->publishing()->upload() && !dialog->publishing()->upload()->running(); }, 30000);
    }

    QTemporaryDir home, site;
    UploadServer server;
    std::vector<std::pair<const char *, QByteArray>> saved;
};

TEST_F(PublishUploadWindowTest, theQuestionsOpenWhileTheWindowGoesOnAndTheUploadCompletes)
{
    FtpServer ftp(true);
    setUp(ftp, kPage, false);
    if (IsSkipped())
        return;
    PublishDialog *shown = publish();
    ASSERT_TRUE(shown);
    givePassword();

    // The certificate signed by itself: asked by its fingerprint, while the event loop turns on.
    QWidget *asked = question("uploadQuestion");
    ASSERT_TRUE(asked);
    EXPECT_TRUE(static_cast<QMessageBox *>(asked)->text().contains(ftp.fingerprint()));
    int ticks = 0;
    QTimer ticking;
    QObject::connect(&ticking, &QTimer::timeout, [&] { ++ticks; });
    ticking.start(10);
    QTest::qWait(300);
    EXPECT_GE(ticks, 10);
    EXPECT_TRUE(dialog->publishing()->upload()->running()) << "the upload waits for the answer";
    button(asked, "この証明書を信頼する")->click();

    ASSERT_TRUE(uploaded());
    EXPECT_EQ(shown->uploadPanel()->lines(), QStringList{QString::fromUtf8("送信 news.html")});
    EXPECT_EQ(ReadFile(ftp.remote(QStringLiteral("site/news.html"))), ReadFile(site.filePath(QStringLiteral("news.html"))));
    EXPECT_TRUE(ReadFile(ftp.remote(QStringLiteral("site/news.html"))).contains("tokyo.example"));
    // What was learnt of the server is kept with its settings.
    EXPECT_EQ(UploadSettings::find(server.name).certificatePin, ftp.fingerprint());
}

TEST_F(PublishUploadWindowTest, cancelDuringTheTransferLeavesTheServersPageWhole)
{
    FtpServer ftp(true);
    ftp.slowDown();
    QByteArray big = kPage;
    big.insert(big.indexOf("<!-- sitekanri"), "<!-- " + QByteArray(6 << 20, 'x') + " -->\n");
    setUp(ftp, big, true);
    if (IsSkipped())
        return;
    WriteFile(ftp.remote(QStringLiteral("site/news.html")), "old page");
    PublishDialog *shown = publish();
    ASSERT_TRUE(shown);
    givePassword();
    auto *progress = shown->uploadPanel()->findChild<QProgressBar *>();
    ASSERT_TRUE(QTest::qWaitFor([&] { return progress->value() > 0; }, 20000)) << "no progress seen";
    ASSERT_TRUE(shown->uploadPanel()->cancellable());
    button(shown->uploadPanel(), "中止")->click();

    ASSERT_TRUE(uploaded());
    const QStringList lines = shown->uploadPanel()->lines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QString::fromUtf8("未送信 news.html: ")) && lines[0].endsWith(QString::fromUtf8("中止しました")))
        << lines[0].toStdString();
    EXPECT_EQ(ReadFile(ftp.remote(QStringLiteral("site/news.html"))), "old page");
    EXPECT_FALSE(shown->uploadPanel()->cancellable());
}

// A publish on change sends without a question: a server whose identity would need one is not
// sent to, and the line below the list says so; once it is known, the next change goes.
TEST_F(PublishUploadWindowTest, aPublishOnChangeSendsWithoutAQuestion)
{
    SshServer ssh;
    if (const QString why = ssh.start(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    server = ssh.uploadServer();
    server.name = QStringLiteral("ssh");
    server.siteFolder = site.path();
    UploadSettings::save(server);
    WriteFile(site.filePath(QStringLiteral("news.html")), kPage);
    PublishList list;
    list.pages.push_back({PageEntry::Kind::Marked, site.filePath(QStringLiteral("news.html")), {}, {}});
    list.server = server.name;
    list.publishOnChange = true;
    ASSERT_TRUE(list.save(reg.path()));
    start({MakeRecord("東京新聞", "http://tokyo.example/", "ニュース")});
    const auto status = [this] { return dialog->findChild<StatusLine *>()->text(); };

    cli({"add", "--name", "夕刊", "--url", "http://yukan.example/"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return status().contains(QString::fromUtf8("送れなかった")); }, 15000)) << status().toStdString();
    EXPECT_EQ(question("uploadQuestion", 300), nullptr) << "nothing is asked";
    EXPECT_FALSE(QFile::exists(ssh.remote(QStringLiteral("site/news.html"))));

    QString key;
    ASSERT_TRUE(RunTool(QStringLiteral("cat"), "", {ssh.file(QStringLiteral("host_key.pub"))}, &key));
    QDir(home.path()).mkpath(QStringLiteral(".ssh"));
    WriteFile(home.filePath(QStringLiteral(".ssh/known_hosts")), QStringLiteral("[127.0.0.1]:%1 %2").arg(server.port).arg(key).toUtf8());
    cli({"add", "--name", "毎朝", "--url", "http://asa.example/"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return status().contains(QString::fromUtf8("送信 1")); }, 15000)) << status().toStdString();
    EXPECT_TRUE(ReadFile(ssh.remote(QStringLiteral("site/news.html"))).contains("asa.example"));
}

// アップロード先…: a server set up in the form is kept and chosen; one renamed stays the server of
// every list of pages that named it.
TEST_F(PublishUploadWindowTest, aServerSetUpInTheFormIsKeptAndARenameFollowsEveryList)
{
    const QString lists = config.filePath(QStringLiteral("publishing.ini"));
    UploadServerDialog form(QString(), site.path(), lists);
    const auto field = [](QWidget &in, const char *name) { return in.findChild<QWidget *>(QLatin1String(name)); };
    const auto fill = [&](QWidget &in, const char *name, const char *text) {
        static_cast<QLineEdit *>(field(in, name))->setText(QString::fromUtf8(text));
    };
    auto *choice = static_cast<QComboBox *>(field(form, "serverChoice"));
    choice->setCurrentIndex(choice->count() - 1); // a new server
    fill(form, "serverName", "自宅");
    static_cast<QComboBox *>(field(form, "serverProtocol"))->setCurrentIndex(2); // FTP
    form.accept();
    EXPECT_NE(form.result(), QDialog::Accepted) << "no host: the form stays open";
    fill(form, "serverHost", "example.jp");
    fill(form, "serverUser", "me");
    form.accept();
    ASSERT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.chosen(), QString::fromUtf8("自宅"));
    const UploadServer kept = UploadSettings::find(QString::fromUtf8("自宅"));
    EXPECT_EQ(kept.identity() + u'|' + kept.siteFolder, QStringLiteral("ftp://me@example.jp:21/|") + site.path());

    TempRegister other;
    PublishList list;
    list.server = QString::fromUtf8("自宅");
    ASSERT_TRUE(list.save(reg.path(), lists) && list.save(other.path(), lists));
    UploadServerDialog again(QString::fromUtf8("自宅"), QString(), lists);
    fill(again, "serverName", "実家");
    again.accept();
    ASSERT_EQ(again.result(), QDialog::Accepted);
    EXPECT_EQ(UploadSettings::load().size(), 1);
    for (const TempRegister *each : {&reg, &other})
        EXPECT_EQ(PublishList::load(each->path(), lists).server, QString::fromUtf8("実家"));
    EXPECT_EQ(UploadSettings::find(QString::fromUtf8("実家")).identity(), kept.identity());
}

} // namespace
