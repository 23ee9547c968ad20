// Import and export of bookmark files through the window, with the file dialogs answered by the
// test. What the reader makes of each shape of file is proved in the bookmark tests; here, that
// the window reaches them, shows what they did and follows the register afterwards.
#include "AppTestSupport.h"
#include "BookmarkActions.h"
#include "CodePage.h"
#include "FileDialogs.h"
#include "ImportSummaryDialog.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QToolButton>

namespace {

// Dialogs that answer with a path set beforehand ("" for Cancel) and remember what they were asked.
class ScriptedFileDialogs : public FileDialogs
{
public:
    QString openFileName(QWidget *, const QString &title, const QString &, const QString &filter) override
    {
        asked << title + u'|' + filter;
        return answer;
    }
    QString saveFileName(QWidget *, const QString &title, const QString &suggested, const QString &) override
    {
        asked << title + u'|' + QFileInfo(suggested).fileName();
        return answer;
    }
    QString answer; // "" for Cancel
    QStringList asked;
};

const char kBookmarks[] = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
                          "<DT><H3>旅</H3>\n<DL><p>\n"
                          "<DT><A HREF=\"https://new.example/\" TAGS=\"宿,温泉,地図\">新しい宿</A>\n"
                          "<DD>露天風呂 &amp; 朝食\n"
                          "</DL><p>\n"
                          "<DT><A HREF=\"http://one.example.jp/\">登録済み</A>\n"
                          "<DT><A HREF=\"javascript:void(0)\">ブックマークレット</A>\n"
                          "<DT><A HREF=\"file:///etc/passwd\">ローカル</A>\n"
                          "<DT><A HREF=\"https://two.example/\">二つ目</A>\n"
                          "</DL><p>\n";

class BookmarkWindowTest : public WindowTest
{
protected:
    void SetUp() override
    {
        start({MakeRecord("一", "http://one.example.jp/", "既存")});
        dialog->bookmarkActions()->setFileDialogs(dialogs);
        activate();
    }
    // The file is read in a thread of its own; the outcome follows in the event loop.
    void waitForImport()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !dialog->bookmarkActions()->isImporting(); }, 10000));
    }
    // A file beside the register's.
    QString writeFile(const char *name, const QByteArray &bytes)
    {
        reg.write(QString::fromUtf8(name), bytes);
        return reg.file(QString::fromUtf8(name));
    }
    ScriptedFileDialogs dialogs;
};

TEST_F(BookmarkWindowTest, ctrlIImportsTheChosenFileShowsTheCountsAndTheListFollows)
{
    dialogs.answer = writeFile("bookmarks.html", kBookmarks);
    boxes.choices = {0}; // the tags first (see below)
    QTest::keySequence(QApplication::focusWidget(), QKeySequence(Qt::CTRL | Qt::Key_I));
    waitForImport();

    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_TRUE(dialogs.asked[0].contains(QStringLiteral("*.html *.htm"))) << dialogs.asked[0].toStdString();
    // The summary in a window of its own (what it says is the import's business): the counts, then
    // a list of every bookmark not added as it stood; copied and saved as shown.
    boxes.shown.clear();
    auto *summary = dialog->findChild<ImportSummaryDialog *>();
    ASSERT_TRUE(summary && summary->isVisible());
    const QAbstractItemModel *details = summary->findChild<QListView *>()->model();
    ASSERT_EQ(details->rowCount(), 3);
    EXPECT_TRUE(details->index(0, 0).data().toString().startsWith(QString::fromUtf8("登録済み（8 行目）「登録済み」")));
    QTest::mouseClick(summary->findChild<QPushButton *>(QStringLiteral("copySummary")), Qt::LeftButton);
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith(QString::fromUtf8("追加: 2 件\n登録済み: 1 件\n"))) << copied.toStdString();
    EXPECT_TRUE(copied.endsWith(details->index(2, 0).data().toString() + u'\n')) << copied.toStdString();
    dialogs.answer = reg.file(QStringLiteral("summary.txt"));
    QTest::mouseClick(summary->findChild<QPushButton *>(QStringLiteral("saveSummary")), Qt::LeftButton);
    EXPECT_EQ(QString::fromUtf8(reg.read(QStringLiteral("summary.txt"))), copied);
    ASSERT_EQ(rowCount(), 3);
    EXPECT_EQ(cell(1, 0), QStringLiteral("新しい宿")); // what a bookmark becomes is the import's business
    EXPECT_EQ(ReadRegister(reg.path()).size(), 3u);

    // The summary's 元に戻す takes the import back as one step, but for a site changed since.
    ASSERT_TRUE(dialog->siteRegister().update(3, MakeRecord("二つ目", "https://two.example/", "", "", "", "変えた")).done());
    QTest::mouseClick(summary->findChild<QPushButton *>(QStringLiteral("undoImport")), Qt::LeftButton);
    EXPECT_FALSE(summary->isVisible());
    EXPECT_EQ(Listing(ReadRegister(reg.path())), Listing(dialog->sites()));
    EXPECT_EQ(cell(0, 0) + u'|' + cell(1, 0), QString::fromUtf8("一|二つ目"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QString::fromUtf8("「二つ目」"))) << boxes.shown[0].text.toStdString();
}

// A bookmark with more tags and folders than three keywords hold: the import asks which come
// first before it writes anything; cancelled, it writes nothing.
TEST_F(BookmarkWindowTest, whetherTagsOrFoldersComeFirstIsAskedWhenItMatters)
{
    const QString file = writeFile("bookmarks.html", kBookmarks);
    const SiteList before = ReadRegister(reg.path());
    boxes.choices = {-1, 1};
    dialog->bookmarkActions()->importFile(file);
    waitForImport();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QString::fromUtf8("タグとフォルダーを合わせると 3 個を超えるブックマークが 1 件あります。キーワードにはどちらを先に入れますか？\n"
                                                     "入らなかったものは、取り込みの結果に出ます。 [タグを先に|フォルダーを先に]"));
    EXPECT_EQ(ReadRegister(reg.path()), before);
    EXPECT_FALSE(dialog->findChild<ImportSummaryDialog *>());

    dialog->bookmarkActions()->importFile(file);
    waitForImport();
    const SiteList after = ReadRegister(reg.path());
    ASSERT_EQ(after.size(), 3u);
    const SiteRecord &inn = after.at(1);
    EXPECT_EQ(QStringList({CodePage::toText(inn.GetKeyword1()), CodePage::toText(inn.GetKeyword2()), CodePage::toText(inn.GetKeyword3())}),
              QString::fromUtf8("旅 宿 温泉").split(u' '));
    auto *summary = dialog->findChild<ImportSummaryDialog *>();
    ASSERT_TRUE(summary);
    EXPECT_TRUE(summary->findChild<QLabel *>(QStringLiteral("summaryCounts"))->text().contains(QString::fromUtf8("フォルダーを先にしました")));
}

TEST_F(BookmarkWindowTest, aFileThatCannotBeReadImportsNothingAndSaysWhy)
{
    const SiteList before = ReadRegister(reg.path());
    dialog->bookmarkActions()->importFile(writeFile("broken.html", "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
                                                                   "<DT><A HREF=\"https://a.example/\">A</A>\n<DT><A HR"));
    waitForImport();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.endsWith(QStringLiteral("何も取り込みませんでした。"))) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(rowCount(), 1);
    EXPECT_EQ(ReadRegister(reg.path()), before);
}

// The window stays with the user while a large file is read, and 中止 stops it with nothing written.
TEST_F(BookmarkWindowTest, importReadsInTheBackgroundAndStopsAtCancel)
{
    QByteArray big = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    for (int i = 0; i < 300000; ++i)
        big += "<DT><A HREF=\"https://b" + QByteArray::number(i) + ".example/\">B</A>\n";
    big += "</DL><p>\n";
    const SiteList before = ReadRegister(reg.path());
    dialog->bookmarkActions()->importFile(writeFile("big.html", big));
    ASSERT_TRUE(dialog->bookmarkActions()->isImporting()) << "the file was read in the window's thread";
    auto *progress = dialog->findChild<QProgressDialog *>();
    ASSERT_TRUE(progress);
    auto *cancel = progress->findChild<QPushButton *>();
    ASSERT_TRUE(cancel);
    cancel->click(); // as the user does: canceled() comes from the button

    waitForImport();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ReadRegister(reg.path()), before);
}

TEST_F(BookmarkWindowTest, exportFromTheButtonsMenuWritesAFileThatReadsBackToTheRegister)
{
    // Cancel (the dialogs answer ""): nothing said; an import would show its summary.
    dialog->bookmarkActions()->importAction()->trigger();
    dialog->bookmarkActions()->exportAction()->trigger();
    EXPECT_EQ(dialogs.asked.size(), 2);
    EXPECT_TRUE(boxes.shown.empty());
    dialogs.asked.clear();

    // The button beside "サイトジャンプ" offers both actions, each with its key in the tooltip,
    // and, after a separator, the bookmarklet.
    auto *button = dialog->findChild<QToolButton *>(QStringLiteral("bookmarkButton"));
    ASSERT_TRUE(button && button->isVisible() && button->menu());
    const QList<QAction *> offered = button->menu()->actions();
    ASSERT_EQ(offered.size(), 4);
    EXPECT_EQ(offered[3]->objectName(), QStringLiteral("copyBookmarkletAction"));
    EXPECT_TRUE(offered[1]->toolTip().endsWith(QKeySequence(Qt::CTRL | Qt::Key_E).toString(QKeySequence::NativeText) + u')'));

    const QString path = reg.file(QStringLiteral("out.html"));
    dialogs.answer = path;
    offered[1]->trigger();
    EXPECT_EQ(dialogs.asked, QStringList(QStringLiteral("ブックマークの書き出し|bookmarks.html")));
    // Told below the list, as a saved link collection is: no box to dismiss.
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("statusLine"))->text(), QStringLiteral("1 件のサイトを %1 に書き出しました。").arg(path));
    // What the file holds is the export's business; here, that the register went into it.
    EXPECT_TRUE(reg.read(QStringLiteral("out.html")).contains("HREF=\"http://one.example.jp/\""));
}

} // namespace
