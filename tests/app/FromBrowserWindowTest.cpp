// What the browser hands the window: a sitekanri: link fills the registration page for the user
// to register, or waits beside it, and タイトル取得 fills the empty fields from a local page in
// the background.
#include "AppTestSupport.h"
#include "LinkIntake.h"
#include "LinkOfferBar.h"
#include "LocalHttpServer.h"
#include "SingleWindow.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QStringEncoder>

namespace {

// ThreeSites()[2]'s name, URL and content as a page sends them.
const QString kThirdSiteLink = QStringLiteral(
    "sitekanri:add?url=https%3A%2F%2Flink.example.jp%2F&name=%E3%82%8F%E3%81%9F%E3%81%97%E3%81%AE%E3%83%AA%E3%83%B3%E3%82%AF"
    "&content=%E5%86%85%E5%AE%B9%E3%81%A0%E3%81%91");

QString linkNamed(const QString &name)
{
    return QStringLiteral("sitekanri:add?url=https%3A%2F%2Fother.example%2F&name=") + QString::fromLatin1(QUrl::toPercentEncoding(name));
}

class FromBrowserWindowTest : public WindowTest
{
protected:
    QAction *fetchAction() const { return dialog->findChild<QAction *>(QStringLiteral("fetchTitleAction")); }
    LinkOfferBar *bar() const { return dialog->findChild<LinkOfferBar *>(); }
    void clickBar(const char *caption)
    {
        for (QPushButton *button : bar()->findChildren<QPushButton *>()) {
            if (button->text() != QString::fromUtf8(caption))
                continue;
            // Clicked where the window has laid it out, as a user sees it.
            ASSERT_TRUE(QTest::qWaitFor([&] { return button->isVisible() && !button->rect().isEmpty(); }, 2000));
            return QTest::mouseClick(button, Qt::LeftButton);
        }
        ADD_FAILURE() << "no button " << caption;
    }
};

// A link fills the registration page only where that loses nothing: the fields empty, or showing
// the list's site as it is. Filled, the fields are typed text for no site (the link's site is new
// even where it matches the one the list stood on) with the focus on the name, never on a button
// that saves. Otherwise the link waits in the bar and neither the fields nor the focus change.
TEST_F(FromBrowserWindowTest, aLinkFillsOnlyFieldsThatHoldNothingUnsavedAndNeverFocusesASave)
{
    const struct
    {
        const char *what;
        bool noSite;       // the fields emptied for no site first
        int typedField;    // 0: nothing typed
        const char *typed;
        bool fills;
    } cases[] = {
        {"the list's site as it is", false, 0, nullptr, true},
        {"the list's site with its content typed over", false, ControlId::Content, "書きかけ", false},
        {"no site, a name typed", true, ControlId::SiteName, "名前だけ", false},
        {"no site, every field empty", true, 0, nullptr, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        start(ThreeSites());
        ASSERT_EQ(dialog->ShownRecord().number, 3);
        if (c.noSite)
            dialog->ShowOfferedSite({});
        if (c.typedField)
            type(c.typedField, c.typed);
        dialog->pageTab()->setCurrentIndex(1);
        dialog->control(ControlId::LinkCode)->setFocus();
        const std::vector<QString> before = RegistrationFields(*dialog);
        const int shownBefore = dialog->ShownRecord().number;
        dialog->linkIntake()->take(kThirdSiteLink);
        if (c.fills) {
            EXPECT_EQ(RegistrationFields(*dialog), FieldTexts(ThreeSites()[2]));
            EXPECT_EQ(dialog->pageTab()->currentWidget(), static_cast<QWidget *>(dialog->pageTab()->registerPage()));
            EXPECT_EQ(dialog->focusWidget(), dialog->control(ControlId::SiteName));
            EXPECT_EQ(dialog->ShownRecord().number, 0);
            EXPECT_EQ(view()->currentIndex().row(), -1);
            EXPECT_TRUE(bar()->isHidden());
        } else {
            EXPECT_EQ(RegistrationFields(*dialog), before);
            EXPECT_EQ(dialog->focusWidget(), dialog->control(ControlId::LinkCode));
            EXPECT_EQ(dialog->ShownRecord().number, shownBefore);
            EXPECT_FALSE(bar()->isHidden());
            EXPECT_TRUE(bar()->text().contains(QStringLiteral("「わたしのリンク」 https://link.example.jp/"))) << bar()->text().toStdString();
        }
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(ReadRegister(reg.path()).size(), ThreeSites().size());
    }

    // What a link filled in stays when the site it matches changes elsewhere: it belongs to no site.
    const std::vector<QString> offered = RegistrationFields(*dialog);
    std::vector<SiteRecord> changed = ThreeSites();
    changed[2] = MakeRecord("わたしのリンク", "https://link.example.jp/", "", "", "", "外で変えた");
    WriteRegister(reg.path(), changed);
    waitForWatcher();
    EXPECT_EQ(RegistrationFields(*dialog), offered);
}

// Links in a burst, good and bad, make one line: the newest site with how many came, and the
// refusals counted; no box. 「入力欄に入れる」 puts the newest in the fields over the typing (the
// user asked for it), 「閉じる」 forgets them all.
TEST_F(FromBrowserWindowTest, aBurstOfLinksWaitsInOneLineUntilTheUserPutsTheNewestInOrClosesIt)
{
    start(ThreeSites());
    type(ControlId::Content, "書きかけ");
    for (int i = 0; i < 30; ++i)
        dialog->linkIntake()->take(QStringLiteral("sitekanri:bad%1").arg(i));
    dialog->linkIntake()->takeTooLong(SingleWindow::kMaxRequest);
    EXPECT_EQ(bar()->text(), QStringLiteral("ブラウザーから渡されたリンクでは登録できません（受け取れないリンク 31 件）："
                                            "リンクが長すぎて受け取れませんでした（256 KiB まで）。"));
    dialog->linkIntake()->take(QStringLiteral("sitekanri:add?url=https://other.example/gnp%E2%80%AE.exe"));
    EXPECT_TRUE(bar()->text().endsWith(QStringLiteral("https://other.example/gnp\\u202E.exe"))) << bar()->text().toStdString();
    for (const char *name : {"二つ目", "%1 %2 三つ目"})
        dialog->linkIntake()->take(linkNamed(QString::fromUtf8(name)));
    EXPECT_EQ(bar()->text(), QStringLiteral("ブラウザーから届いたサイト（3 件の最新、受け取れないリンク 31 件）：「%1 %2 三つ目」 https://other.example/"));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(field(ControlId::Content), QStringLiteral("書きかけ"));

    clickBar("入力欄に入れる");
    EXPECT_EQ(field(ControlId::SiteName), QStringLiteral("%1 %2 三つ目"));
    EXPECT_EQ(field(ControlId::SiteUrl), QStringLiteral("https://other.example/"));
    EXPECT_EQ(field(ControlId::Content), QString());
    EXPECT_EQ(dialog->focusWidget(), dialog->control(ControlId::SiteName));
    EXPECT_TRUE(bar()->isHidden());

    dialog->linkIntake()->take(linkNamed(QStringLiteral("四つ目")));
    ASSERT_FALSE(bar()->isHidden()) << "the fields hold the last link's site, saved nowhere";
    clickBar("閉じる");
    EXPECT_TRUE(bar()->isHidden());
    EXPECT_EQ(field(ControlId::SiteName), QStringLiteral("%1 %2 三つ目"));
    EXPECT_EQ(dialog->focusWidget(), dialog->control(ControlId::SiteName));
    EXPECT_EQ(ReadRegister(reg.path()).size(), ThreeSites().size());
}

// A link that comes while a question is open (the event loop turns under it) never changes the
// fields the question is about, even fields that hold nothing unsaved: it waits in the bar, and
// the answer acts on the site the question named.
TEST_F(FromBrowserWindowTest, aLinkWhileAQuestionIsOpenWaitsInTheBar)
{
    start(ThreeSites());
    ASSERT_EQ(dialog->ShownRecord().number, 3);
    std::vector<QString> duringQuestion;
    bool waiting = false;
    boxes.whileAsked = [&] {
        // A real box, modal over the window, stands for the question while a page sends a link.
        QTimer::singleShot(0, dialog.get(), [&] {
            dialog->linkIntake()->take(linkNamed(QStringLiteral("新しいサイト")));
            QTest::qWait(50);
            duringQuestion = RegistrationFields(*dialog);
            waiting = bar()->holdsOffer();
            QApplication::activeModalWidget()->close();
        });
        DialogMessageBoxes().askYesNo(dialog.get(), kCaption, QStringLiteral("削除しますか"), MessageBoxes::Answer::No);
    };
    boxes.answers.push_back(MessageBoxes::Answer::Yes);
    click(ControlId::Delete);
    EXPECT_EQ(duringQuestion, FieldTexts(ThreeSites()[2]));
    EXPECT_TRUE(waiting);
    const std::vector<SiteRecord> three = ThreeSites();
    EXPECT_EQ(onDisk(), std::vector<SiteRecord>(three.begin(), three.begin() + 2));
    EXPECT_TRUE(bar()->holdsOffer());
}

TEST_F(FromBrowserWindowTest, fetchFillsOnlyEmptyFieldsWithThePagesTextAndSaysWhatItKept)
{
    LocalHttpServer server;
    server.setHandler([](const LocalHttpServer::Request &) {
        LocalHttpServer::Answer answer;
        // A title and a description far longer than a field, with a control that turns text around.
        answer.body = QStringEncoder("Shift_JIS").encode(QStringLiteral("<title>東京 &lt;b&gt; の天気&#x202E;") + QString(600, u'x')
                                                         + QStringLiteral("</title><meta name=description content='毎日の天気&#x202E;")
                                                         + QString(3000, u'y') + QStringLiteral("'>"));
        return answer;
    });
    start(ThreeSites());
    dialog->SetItemText(ControlId::SiteName, QString());
    dialog->SetItemText(ControlId::SiteUrl, server.base() + QStringLiteral("/tenki"));
    dialog->SetItemText(ControlId::Content, QStringLiteral("自分の説明"));
    fetchAction()->trigger();
    EXPECT_EQ(fetchAction()->text(), QStringLiteral("取得を中止"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !field(ControlId::SiteName).isEmpty(); }, 10000));
    EXPECT_EQ(field(ControlId::SiteName), QStringLiteral("東京 &lt;b&gt; の天気") + QString(489, u'x') + u'…');
    EXPECT_EQ(field(ControlId::Content), QStringLiteral("自分の説明"));
    EXPECT_EQ(fetchAction()->text(), QStringLiteral("タイトル取得"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("説明：毎日の天気yyy"))) << boxes.shown[0].text.toStdString();
    EXPECT_FALSE(boxes.shown[0].text.contains(QChar(0x202E)));
    EXPECT_LT(boxes.shown[0].text.size(), 600);
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
