// What the browser hands the window: a sitekanri: link fills the registration page for the user
// to register, and タイトル取得 fills the empty fields from a local page in the background.
#include "AppTestSupport.h"
#include "LinkIntake.h"
#include "LocalHttpServer.h"

#include <QAction>
#include <QStringEncoder>

namespace {

class FromBrowserWindowTest : public WindowTest
{
protected:
    QAction *fetchAction() const { return dialog->findChild<QAction *>(QStringLiteral("fetchTitleAction")); }
};

// A link fills the registration page, shown with the focus on 新しく登録, and saves nothing. One
// carrying exactly the text of the site the list stood on is still a new site: the fields no
// longer follow that site when it changes elsewhere, and 更新 has no site to act on. (What a link
// may carry, and how, is the link reader's business.)
TEST_F(FromBrowserWindowTest, aLinkFillsTheRegistrationPageAsTypedTextForNoSiteAndSavesNothing)
{
    start(ThreeSites());
    dialog->pageTab()->setCurrentIndex(1);
    ASSERT_EQ(dialog->ShownRecord().number, 3);
    auto *intake = new LinkIntake(dialog.get());
    QObject::connect(intake, &LinkIntake::siteOffered, dialog.get(), &MainDialog::ShowOfferedSite);
    intake->take(QStringLiteral("sitekanri:add?url=https%3A%2F%2Flink.example.jp%2F&name=%E3%82%8F%E3%81%9F%E3%81%97%E3%81%AE%E3%83%AA%E3%83%B3%E3%82%AF"
                                "&content=%E5%86%85%E5%AE%B9%E3%81%A0%E3%81%91"));
    const std::vector<QString> offered = RegistrationFields(*dialog);
    ASSERT_EQ(offered, FieldTexts(ThreeSites()[2]));
    EXPECT_EQ(dialog->pageTab()->currentWidget(), static_cast<QWidget *>(dialog->pageTab()->registerPage()));
    EXPECT_EQ(QApplication::focusWidget(), dialog->control(ControlId::RegisterNew));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ReadRegister(reg.path()).size(), ThreeSites().size());
    EXPECT_EQ(dialog->ShownRecord().number, 0);
    EXPECT_EQ(view()->currentIndex().row(), -1);

    std::vector<SiteRecord> changed = ThreeSites();
    changed[2] = MakeRecord("わたしのリンク", "https://link.example.jp/", "", "", "", "外で変えた");
    WriteRegister(reg.path(), changed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->sites() == ReadRegister(reg.path()); }, 3000));
    EXPECT_EQ(RegistrationFields(*dialog), offered);
}

TEST_F(FromBrowserWindowTest, fetchFillsOnlyEmptyFieldsWithThePagesTextAndSaysWhatItKept)
{
    LocalHttpServer server;
    server.setHandler([](const LocalHttpServer::Request &) {
        LocalHttpServer::Answer answer;
        answer.body = QStringEncoder("Shift_JIS").encode(
            QStringLiteral("<title>東京 &lt;b&gt; の天気</title><meta name=description content='毎日の天気'>"));
        return answer;
    });
    start(ThreeSites());
    dialog->SetItemText(ControlId::SiteName, QString());
    dialog->SetItemText(ControlId::SiteUrl, server.base() + QStringLiteral("/tenki"));
    dialog->SetItemText(ControlId::Content, QStringLiteral("自分の説明"));
    fetchAction()->trigger();
    EXPECT_EQ(fetchAction()->text(), QStringLiteral("取得を中止"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !field(ControlId::SiteName).isEmpty(); }, 10000));
    EXPECT_EQ(field(ControlId::SiteName), QStringLiteral("東京 &lt;b&gt; の天気"));
    EXPECT_EQ(field(ControlId::Content), QStringLiteral("自分の説明"));
    EXPECT_EQ(fetchAction()->text(), QStringLiteral("タイトル取得"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("説明：毎日の天気"))) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(ReadRegister(reg.path()).size(), ThreeSites().size());
}

// 新規 empties the fields for a site of its own: a title fetched after it, and 新しく登録, carry
// nothing of the row the list stood on, and registering a URL already there asks with いいえ as
// the answer Enter gives.
TEST_F(FromBrowserWindowTest, aNewSiteAfterATitleFetchCarriesNothingOfTheRowBefore)
{
    LocalHttpServer server;
    server.setHandler([](const LocalHttpServer::Request &) {
        LocalHttpServer::Answer answer;
        answer.body = "<title>Caf&eacute; &amp; Bar</title>";
        return answer;
    });
    start(ThreeSites());
    activate();
    clickRow(0);
    ASSERT_EQ(field(ControlId::Keyword1), QString::fromUtf8("食べ物"));
    QTest::keySequence(view(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(RegistrationFields(*dialog), std::vector<QString>(6));
    EXPECT_EQ(dialog->ShownRecord().number, 0);
    EXPECT_FALSE(view()->currentIndex().isValid());
    EXPECT_EQ(QApplication::focusWidget(), dialog->control(ControlId::SiteName));
    TypeText(dialog->control(ControlId::SiteUrl), server.base() + QStringLiteral("/cafe"));
    fetchAction()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !field(ControlId::SiteName).isEmpty(); }, 10000));
    EXPECT_EQ(field(ControlId::SiteName), QString::fromUtf8("Café &amp; Bar"));
    click(ControlId::RegisterNew);
    ASSERT_EQ(onDisk().size(), 4u);
    EXPECT_EQ(onDisk().back(), MakeRecord("Caf&#233; &amp; Bar", (server.base() + QStringLiteral("/cafe")).toUtf8().constData()));
    EXPECT_EQ(cell(3, 0), QString::fromUtf8("Café & Bar"));
    EXPECT_TRUE(boxes.shown.empty());
    boxes.answers = {MessageBoxes::Answer::No};
    QTest::keySequence(view(), QKeySequence(Qt::CTRL | Qt::Key_Return));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].preset, MessageBoxes::Answer::No);
    EXPECT_EQ(onDisk().size(), 4u);
}

// The URL changed under a fetch: it stops, its connection closed, and nothing comes later.
TEST_F(FromBrowserWindowTest, editingTheUrlCancelsTheFetch)
{
    LocalHttpServer server;
    server.setHandler([](const LocalHttpServer::Request &) { return LocalHttpServer::Answer(200, 0, LocalHttpServer::Answer::Never); });
    start(ThreeSites());
    dialog->SetItemText(ControlId::SiteName, QString());
    dialog->SetItemText(ControlId::SiteUrl, server.base());
    fetchAction()->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.inFlight() == 1; }, 5000));
    QTest::keyClick(dialog->control(ControlId::SiteUrl), Qt::Key_A);
    EXPECT_EQ(fetchAction()->text(), QStringLiteral("タイトル取得"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.openConnections() == 0; }, 2000));
    EXPECT_EQ(field(ControlId::SiteName), QString());
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
