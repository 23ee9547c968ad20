// The list's context menu and double-click, undo and redo in the window, the question before a
// site is registered again, and links dropped on the window.
#include "AppTestSupport.h"
#include "PageTab.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>

namespace {

template <class Dialog>
class ListTest : public WindowTest<Dialog>
{
protected:
    // The list's context menu over `row`, as a right click opens it.
    QMenu *openMenu(int row)
    {
        QWidget *viewport = this->view()->viewport();
        const QPoint at = this->view()->visualRect(this->view()->model()->index(row, 0)).center();
        QTest::mousePress(viewport, Qt::RightButton, {}, at);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, at);
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    }
    QAction *entry(QMenu *menu, const char *text)
    {
        for (QAction *action : menu->actions())
            if (action->text().section(u'\t', 0, 0) == QString::fromUtf8(text))
                return action;
        ADD_FAILURE() << "no entry " << text;
        return nullptr;
    }
    void press(QWidget *on, QKeySequence key) { QTest::keySequence(on, key); }
};

using ObservedListTest = ListTest<ObservedDialog>;
using WindowListTest = ListTest<MainDialog>;

TEST_F(ObservedListTest, menuEntriesAndDoubleClickReachTheirOperations)
{
    start(ThreeSites());
    QMenu *menu = openMenu(1);
    ASSERT_TRUE(menu);
    QStringList entries;
    for (QAction *action : menu->actions())
        entries << (action->isSeparator() ? QStringLiteral("-") : action->text() + QLatin1String(action->isEnabled() ? "" : "(x)"));
    EXPECT_EQ(entries.join(u'|'), QString::fromUtf8("サイトを開く\tCtrl+J|URLをコピー|削除\tDel|-|元に戻す(x)|やり直す(x)"));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 1) << "the right click did not make its row current";
    entry(menu, "URLをコピー")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("http://abc.example.jp/"));
    entry(menu, "サイトを開く")->trigger();
    entry(menu, "削除")->trigger();
    menu->close();
    const QPoint third = view()->visualRect(view()->model()->index(2, 0)).center();
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, third);
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, third);
    EXPECT_EQ(dialog->calls, (QMap<QString, int>{{QStringLiteral("OnSiteJump"), 2}, {QStringLiteral("DeleteSite"), 1}}));

    start({});
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_F10, Qt::ShiftModifier);
    menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu) << "Shift+F10 opened no menu";
    EXPECT_FALSE(entry(menu, "サイトを開く")->isEnabled());
    EXPECT_FALSE(entry(menu, "削除")->isEnabled());
    menu->close();
}

TEST_F(WindowListTest, undoAndRedoOnTheirKeysEverywhereAndInTheMenu)
{
    start(ThreeSites());
    QApplication::setActiveWindow(dialog.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    clickRow(1);
    boxes.answers = {MessageBoxes::Answer::Yes};
    dialog->DeleteSite();
    ASSERT_EQ(rowCount(), 2);
    const QAction *undo = dialog->findChild<QAction *>(QStringLiteral("undoAction"));
    ASSERT_TRUE(undo);
    EXPECT_EQ(undo->toolTip(), QString::fromUtf8("「Abc 日記」の削除を元に戻す (Ctrl+Z)"));

    view()->setFocus();
    press(view(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(LoadRegister().size(), 3u);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 1);
    dialog->SetItemText(ControlId::SiteName, QStringLiteral("typed"));
    press(view(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_EQ(LoadRegister().size(), 2u);
    QMenu *menu = openMenu(0);
    entry(menu, "元に戻す")->trigger();
    menu->close();
    EXPECT_EQ(LoadRegister().size(), 3u);
    EXPECT_EQ(dialog->ItemText(ControlId::SiteName), QString::fromUtf8("Abc 日記")) << "the site taken back is not shown";

    // In a field, the keys undo its typing first, then the register's steps.
    auto *name = dialog->control<QLineEdit>(ControlId::SiteName);
    name->setFocus();
    press(name, QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(LoadRegister().size(), 2u);
    name->end(false);
    QTest::keyClicks(name, QStringLiteral("xy"));
    press(name, QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(LoadRegister().size(), 2u) << "the typing was not undone first";
    EXPECT_FALSE(name->text().endsWith(u'x') || name->text().endsWith(u'y')) << name->text().toStdString();
    press(name, QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(LoadRegister().size(), 3u);

    // A site changed elsewhere since is left as it is, and the user told so.
    RegisterFolder folder(QFile::encodeName(reg.path()));
    ASSERT_TRUE(folder.open(false));
    ASSERT_TRUE(RegisterFiles(folder).update(2, MakeRecord("別の名前", "http://other.example.jp/")).done());
    press(view(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_EQ(boxes.shown.back(), Message("「Abc 日記」は他のプログラムで変更されていたため、やり直せませんでした。"));
    EXPECT_EQ(LoadRegister().size(), 3u);
}

TEST_F(WindowListTest, registeringASiteAgainAsksNamingTheSiteThatHasIt)
{
    start(ThreeSites());
    const char *question = "このURLのサイトは既に登録されています：\nAbc 日記\nhttp://abc.example.jp/\nもう一度登録しても宜しいですか？";
    for (const auto answer : {MessageBoxes::Answer::No, MessageBoxes::Answer::Yes}) {
        dialog->SetItemText(ControlId::SiteName, QStringLiteral("again"));
        dialog->SetItemText(ControlId::SiteUrl, QStringLiteral("HTTP://ABC.example.jp:80"));
        boxes.shown.clear();
        boxes.answers = {answer};
        click(ControlId::RegisterNew);
        EXPECT_EQ(boxes.shown, std::vector{Question(question)});
        EXPECT_EQ(LoadRegister().size(), answer == MessageBoxes::Answer::Yes ? 4u : 3u);
    }
}

TEST_F(WindowListTest, droppedLinksFillUrlAndNameWithoutRegistering)
{
    const struct
    {
        const char *name;
        int target; // a field's ID, or 0 for the window
        const char *format;
        QByteArray bytes;
        const char *url, *title; // what the fields hold afterwards
    } cases[] = {
        {"browser tab", 0, "text/x-moz-url", QString::fromUtf8("https://t.jp/\nタブ").toUtf8(), "https://t.jp/", "タブ"},
        {"URI list", 0, "text/uri-list", "https://u.jp/a\r\n", "https://u.jp/a", ""},
        {"plain text URL", 0, "text/plain", "https://p.jp/", "https://p.jp/", ""},
        {"link onto the URL field replaces it", ControlId::SiteUrl, "text/uri-list", "https://f.jp/", "https://f.jp/", ""},
        {"plain text onto a field is typing", ControlId::SiteName, "text/plain", "https://p.jp/", "http://old/", "古いhttps://p.jp/"},
        {"script link", 0, "text/uri-list", "javascript:alert(1)", "http://old/", "古い"},
    };
    start(ThreeSites());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        dialog->SetItemText(ControlId::SiteUrl, QStringLiteral("http://old/"));
        dialog->SetItemText(ControlId::SiteName, QString::fromUtf8("古い"));
        QWidget *target = c.target ? dialog->control(c.target) : dialog.get();
        QMimeData mime;
        // Browsers put the address as text too, which a field would take as typing.
        mime.setData(QStringLiteral("text/plain"), c.bytes);
        mime.setData(QString::fromUtf8(c.format), c.bytes);
        const QPoint at = c.target ? QPoint(target->width() - 2, target->height() / 2) : QPoint(2, 2);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(at, Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton, {});
        if (enter.isAccepted())
            QApplication::sendEvent(target, &drop);
        EXPECT_EQ(dialog->ItemText(ControlId::SiteUrl), QString::fromUtf8(c.url));
        EXPECT_EQ(dialog->ItemText(ControlId::SiteName), QString::fromUtf8(c.title));
    }
    EXPECT_EQ(LoadRegister().size(), 3u);
}

} // namespace
