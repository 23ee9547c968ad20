// The list's context menu and double-click, "サイトジャンプ" and the banner, undo and redo in the
// window, the question before a site is registered again, and links dropped on the window. How
// each address is completed or refused is proved in the browser tests.
#include "AppTestSupport.h"
#include "CaseFile.h"
#include "HomePage.h"
#include "RecordingUrlHandler.h"
#include "UndoHistory.h"

#include <QAction>
#include <QClipboard>
#include <QTextDocumentFragment>
#include <QMenu>
#include <QMimeData>

namespace {

class ListCommandsTest : public WindowTest
{
protected:
    // Opens the list's context menu over `row` as a right click does (or takes the menu open
    // already, for -1) and picks its entry `pick`; its entries as text, those not enabled marked (x).
    QString menu(int row, int pick = -1)
    {
        if (row >= 0) {
            const QPoint at = view()->visualRect(view()->model()->index(row, 0)).center();
            QTest::mousePress(view()->viewport(), Qt::RightButton, {}, at);
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, view()->viewport()->mapToGlobal(at));
            QApplication::sendEvent(view()->viewport(), &event);
        }
        auto *shown = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!shown)
            return QStringLiteral("no menu");
        QString entries;
        for (QAction *action : shown->actions())
            entries += (action->isSeparator() ? QStringLiteral("-") : action->text()) + QLatin1String(action->isEnabled() ? "|" : "(x)|");
        if (pick >= 0)
            shown->actions().at(pick)->trigger();
        shown->close();
        return entries;
    }
};

TEST_F(ListCommandsTest, menuEntriesAndDoubleClickReachTheirOperations)
{
    RecordingUrlHandler browser;
    start(ThreeSites());
    EXPECT_EQ(menu(1, 1), QString::fromUtf8("サイトを開く\tCtrl+J|URLをコピー|削除\tDel|-|元に戻す(x)|やり直す(x)|-|リンクの確認…|-|キーワード一覧…|キーワードを設定…|"));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 1) << "the right click did not make its row current";
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("http://abc.example.jp/"));
    menu(1, 0);
    boxes.answers = {MessageBoxes::Answer::No};
    menu(1, 2);
    EXPECT_EQ(boxes.shown, std::vector{Question("Abc 日記を削除しても宜しいですか？")});
    const QPoint third = view()->visualRect(view()->model()->index(2, 0)).center();
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, third);
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, third);
    EXPECT_EQ(browser.requests, (std::vector<QUrl>{QUrl(QStringLiteral("http://abc.example.jp/")),
                                                   QUrl(QStringLiteral("https://link.example.jp/"))}));
}

TEST_F(ListCommandsTest, undoAndRedoOnTheirKeysEverywhereAndInTheMenu)
{
    start(ThreeSites());
    activate();
    const auto second = [this] { return ReadRegister(reg.path()).at(1).GetUrl(); };
    clickRow(1);
    // A name that shows as markup is named in the tooltip as a page shows it, and as text.
    dialog->undoHistory().update(2, MakeRecord("&lt;b&gt;新&lt;/b&gt;", "http://new.jp/"));
    dialog->SetItemText(ControlId::SiteName, QString::fromUtf8("&lt;b&gt;新&lt;/b&gt;")); // as the update left it
    EXPECT_EQ(QTextDocumentFragment::fromHtml(dialog->findChild<QAction *>(QStringLiteral("undoAction"))->toolTip()).toPlainText(),
              QString::fromUtf8("「<b>新</b>」の変更を元に戻す (Ctrl+Z)"));
    QTest::keySequence(view(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(second(), "http://abc.example.jp/");
    EXPECT_EQ(dialog->ItemText(ControlId::SiteName), QString::fromUtf8("Abc 日記")) << "what was taken back is not shown";
    QTest::keySequence(view(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_EQ(second(), "http://new.jp/");
    menu(0, 4);
    EXPECT_EQ(second(), "http://abc.example.jp/");

    // In a field, the keys undo its typing first, then the register's steps.
    auto *name = dialog->control<QLineEdit>(ControlId::SiteName);
    name->setFocus();
    QTest::keySequence(name, QKeySequence(Qt::CTRL | Qt::Key_Y));
    QTest::keyClicks(name, QStringLiteral("xy"));
    QTest::keySequence(name, QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(second(), "http://new.jp/") << "the typing was not undone first";
    EXPECT_FALSE(name->text().contains(u'x')) << name->text().toStdString();
    QTest::keySequence(name, QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(second(), "http://abc.example.jp/");
}

// A search that finds nothing leaves the list no row: Delete, Return and the menu's entries about a
// row do nothing there, whatever record the fields still show.
TEST_F(ListCommandsTest, keysOfAListShowingNothingActOnNothing)
{
    start(ThreeSites());
    activate();
    clickRow(1);
    TypeText(dialog->searchBar()->searchBox(), QString::fromUtf8("つり"));
    ASSERT_EQ(rowCount(), 0);
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Down);
    dialog->SetItemText(ControlId::SiteName, QStringLiteral("typed"));
    for (const Qt::Key key : {Qt::Key_Delete, Qt::Key_Return, Qt::Key_Space})
        QTest::keyClick(view(), key);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(onDisk(), ThreeSites());
    EXPECT_EQ(field(ControlId::SiteName), QStringLiteral("typed"));
    QTest::keyClick(view(), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(menu(-1).startsWith(QString::fromUtf8("サイトを開く\tCtrl+J(x)|URLをコピー(x)|削除\tDel(x)|")));
}

// The question names the first site that has the URL, whoever changed the register since.
TEST_F(ListCommandsTest, registeringASiteAgainAsksNamingTheSiteThatHasIt)
{
    start(ThreeSites());
    const auto registerAgain = [this](const char *answer) {
        dialog->SetItemText(ControlId::SiteName, QStringLiteral("again"));
        dialog->SetItemText(ControlId::SiteUrl, QStringLiteral("HTTP://ABC.example.jp:80"));
        boxes.shown.clear();
        if (*answer)
            boxes.answers = {*answer == 'Y' ? MessageBoxes::Answer::Yes : MessageBoxes::Answer::No};
        dialog->RegisterNewSite();
        return boxes.shown.empty() ? QString() : boxes.shown[0].text.section(u'\n', 1, 2) + u'|' + QString::number(ReadRegister(reg.path()).size());
    };
    EXPECT_EQ(registerAgain("No"), QString::fromUtf8("Abc 日記\nhttp://abc.example.jp/|3"));
    EXPECT_EQ(registerAgain("Yes"), QString::fromUtf8("Abc 日記\nhttp://abc.example.jp/|4"));
    EXPECT_EQ(boxes.shown[0], Question("このURLのサイトは既に登録されています：\nAbc 日記\nhttp://abc.example.jp/\nもう一度登録しても宜しいですか？"));
    dialog->undoHistory().update(2, MakeRecord("x", "http://x.jp/"));
    EXPECT_EQ(registerAgain("Yes"), QStringLiteral("again\nHTTP://ABC.example.jp:80|5"));
    dialog->undoHistory().remove(4);
    EXPECT_EQ(registerAgain("No"), QStringLiteral("again\nHTTP://ABC.example.jp:80|4"));
}

TEST_F(ListCommandsTest, droppedLinksFillUrlAndNameWithoutRegistering)
{
    start(ThreeSites());
    for (const QStringList &row : ReadCaseFile(QStringLiteral(SITEKANRI_TEST_DATA "/drops.tsv"))) {
        SCOPED_TRACE(row.join(u'|').toStdString());
        dialog->SetItemText(ControlId::SiteUrl, QStringLiteral("http://old/"));
        dialog->SetItemText(ControlId::SiteName, QString::fromUtf8("古い"));
        QWidget *target = row[0].startsWith(u"URL") ? dialog->control(ControlId::SiteUrl)
            : row[0].startsWith(u"name")            ? dialog->control(ControlId::SiteName)
                                                    : dialog.get();
        QMimeData mime;
        const QByteArray bytes = row[2].toUtf8().replace("\\n", "\n").replace("\\r", "\r");
        mime.setData(QStringLiteral("text/plain"), bytes);
        mime.setData(row[1], bytes);
        const QPoint at(target->width() - 2, target->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        if (QApplication::sendEvent(target, &enter), enter.isAccepted())
            QApplication::sendEvent(target, &drop);
        EXPECT_EQ(dialog->ItemText(ControlId::SiteUrl) + u'|' + dialog->ItemText(ControlId::SiteName), row[3] + u'|' + row[4]);
    }
    EXPECT_EQ(ReadRegister(reg.path()).size(), 3u);
}

// Nothing for an empty list; the banner opens the help page beside the program (which page that
// is, is the home page's test). (The keyboard test sees サイトジャンプ open the current row once.)
TEST_F(ListCommandsTest, siteJumpOpensNothingForAnEmptyListAndTheBannerTheHelpPage)
{
    RecordingUrlHandler browser;
    start({});
    click(ControlId::SiteJump);
    click(ControlId::Banner);
    EXPECT_EQ(browser.requests, std::vector{HomePageUrl()});
    EXPECT_TRUE(boxes.shown.empty());

    // What the launcher refuses opens nothing, and the window says why; the desktop gets the
    // stored address whole, path and query included.
    start({MakeRecord("前", "https://example.jp/日本語/ページ?q=検索"), MakeRecord("サイト", "")});
    browser.requests.clear();
    click(ControlId::SiteJump);
    EXPECT_TRUE(browser.requests.empty());
    EXPECT_EQ(boxes.shown, std::vector{Message("URLが登録されていません。")});
    ASSERT_TRUE(dialog->SelectSiteRow(0));
    click(ControlId::SiteJump);
    EXPECT_EQ(browser.requests, std::vector{QUrl(QString::fromUtf8("https://example.jp/日本語/ページ?q=検索"))});
}

} // namespace
