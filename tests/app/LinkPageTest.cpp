// The link-collection page of the real window: the keyword combo, the output modes, the generated
// code in the output box, and the copy to the clipboard.
#include "AppTestSupport.h"
#include "KeywordList.h"
#include "LinkCodeBox.h"
#include "SiteClock.h"
#include "LinkPreview.h"
#include "PreviewMarkup.h"
#include "LinkHealth.h"
#include "LinkSaveDialog.h"
#include "SiteFilterModel.h"
#include "SiteTableModel.h"

#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLabel>
#include <QRadioButton>
#include <QTimer>

namespace {

// Keywords: the blank one, a half-width one, one shared by both sites; HTML in the fields.
const std::vector<SiteRecord> kTwoSites{
    MakeRecord("ちくわ通信", "http://chikuwa.example.jp/", "食べ物", "ﾚｼﾋﾟ", "", "練り物の話"),
    MakeRecord("Abc & <日記>", "http://abc.example.jp/?a=1&b=2", "日記", "食べ物", "趣味", "")};
const QString kChikuwa = QString::fromUtf8("<A href=\"http://chikuwa.example.jp/\">ちくわ通信</A><BR>\r\n");
const QString kAbc = QString::fromUtf8("<A href=\"http://abc.example.jp/?a=1&b=2\">Abc & <日記></A><BR>\r\n");

class LinkPageTest : public WindowTest
{
protected:
    void start(const std::vector<SiteRecord> &records)
    {
        WindowTest::start(records);
        dialog->pageTab()->setCurrentIndex(1);
    }
    QComboBox *combo() const { return dialog->control<QComboBox>(ControlId::KeywordCombo); }
    LinkCodeBox *box() const { return dialog->control<LinkCodeBox>(ControlId::LinkCode); }
    // Chooses entry `index` with the keyboard, as a user would: one step down at a time.
    void choose(int index)
    {
        combo()->setFocus();
        QTest::keyClick(combo(), Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(combo(), Qt::Key_Down);
        ASSERT_EQ(combo()->currentIndex(), index);
    }
    // Saves with ファイルに保存…, answering its dialog as a user would, the file chosen being `path`.
    // By its button, or by its key from the other page (which shows the link page first).
    void save(bool utf8, bool asPage, const QString &path, bool byKey = false)
    {
        if (byKey)
            activate(); // the event loop turns: before the dialog's answer is queued
        LinkSaveDialog::setPathChooser([path](QWidget *, const QString &) { return path; });
        QTimer::singleShot(0, [=] {
            auto *saving = qobject_cast<LinkSaveDialog *>(QApplication::activeModalWidget());
            ASSERT_TRUE(saving && QTest::qWaitForWindowExposed(saving));
            // (QTest clicks did not reach the buttons of a dialog that a QTest click opened.)
            saving->findChildren<QRadioButton *>().at(utf8 ? 1 : 0)->click();
            if (asPage)
                saving->findChild<QCheckBox *>()->click();
            QTest::keyClick(saving, Qt::Key_Return);
        });
        if (byKey) {
            dialog->pageTab()->setCurrentIndex(0);
            QTest::keyClick(dialog.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
            EXPECT_EQ(dialog->pageTab()->currentIndex(), 1);
        } else {
            click(ControlId::SaveCode);
        }
        LinkSaveDialog::setPathChooser({});
    }
};

// A keyword the code page cannot decode shows as a replacement character; the filter must still
// be the stored bytes, or the site it belongs to could never be chosen.
TEST_F(LinkPageTest, aKeywordThatDoesNotDecodeStillFiltersItsSite)
{
    SiteRecord odd = MakeRecord("壊れた", "http://odd.example.jp/");
    odd.SetKeyword1(QByteArray("key\x82\x20", 5));
    start({kTwoSites[0], odd});
    ASSERT_EQ(dialog->sites().at(1).GetKeyword1(), odd.GetKeyword1()) << "the register kept the bytes";
    choose(combo()->count() - 1);
    EXPECT_EQ(dialog->KeywordFilter, odd.GetKeyword1());
    click(ControlId::GenerateCode);
    EXPECT_EQ(box()->linkCode(), QString::fromUtf8("<A href=\"http://odd.example.jp/\">壊れた</A><BR>\r\n"));
}

// Which keywords the index holds, in which order, is the index's business. Here: the combo
// follows the register; the chosen entry stays while a site carries its keyword (opening the
// combo neither refills it nor changes the filter), and the code shown is always the entry's.
TEST_F(LinkPageTest, theChosenKeywordFiltersAtOnceAndSurvivesRefillsWhileItExists)
{
    start(kTwoSites);
    ASSERT_EQ(combo()->count(), 6);
    EXPECT_EQ(combo()->itemText(0) + u'|' + combo()->itemText(3), QString::fromUtf8("全てのキーワード|（空欄）"));
    choose(4); // 日記
    EXPECT_EQ(box()->linkCode(), kAbc);
    choose(3); // the blank entry: sites with an empty keyword
    EXPECT_EQ(box()->linkCode(), kChikuwa);
    choose(4);
    combo()->showPopup();
    combo()->hidePopup();
    click(ControlId::GenerateCode); // takes the focus away again
    EXPECT_EQ(combo()->count(), 6);
    EXPECT_EQ(dialog->KeywordFilter, Sjis("日記"));

    dialog->pageTab()->setCurrentIndex(0);
    dialog->SetItemText(ControlId::SiteName, QString::fromUtf8("新顔"));
    dialog->SetItemText(ControlId::SiteUrl, QStringLiteral("http://new.example.jp/"));
    dialog->SetItemText(ControlId::Keyword1, QString::fromUtf8("新しいキーワード"));
    click(ControlId::RegisterNew);
    EXPECT_EQ(view()->currentIndex().row(), 2) << "the new site is not the current row";
    EXPECT_EQ(combo()->itemText(combo()->count() - 1), QString::fromUtf8("新しいキーワード"));
    EXPECT_EQ(combo()->currentText(), QString::fromUtf8("日記"));
    EXPECT_EQ(dialog->KeywordFilter, Sjis("日記"));

    // The last site with 日記 goes: the collection is for every site again.
    dialog->SelectSiteRow(1);
    boxes.answers.push_back(MessageBoxes::Answer::Yes);
    click(ControlId::Delete);
    EXPECT_EQ(combo()->findText(QString::fromUtf8("日記")), -1);
    EXPECT_EQ(combo()->currentIndex(), 0);
    EXPECT_EQ(dialog->KeywordFilter, kAllKeywords);
    EXPECT_EQ(box()->linkCode(), kChikuwa + QString::fromUtf8("<A href=\"http://new.example.jp/\">新顔</A><BR>\r\n"));
}

TEST_F(LinkPageTest, copyPutsExactlyTheWholeTextOnTheClipboardAndSelectsIt)
{
    start(kTwoSites);
    click(ControlId::ModeNameAndContent);
    click(ControlId::GenerateCode);
    const QString code = box()->linkCode();
    QTextCursor part = box()->textCursor();
    part.setPosition(3);
    part.setPosition(12, QTextCursor::KeepAnchor);
    box()->setTextCursor(part);
    QGuiApplication::clipboard()->clear();
    click(ControlId::CopyCode);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), code);
    EXPECT_EQ(box()->textCursor().selectionStart(), 0);
    EXPECT_EQ(box()->textCursor().selectionEnd(), box()->document()->characterCount() - 1);
    // (A part copied keeps its CRLF line ends: the hostile text test proves it.)
}

// The preview follows the box (the first lines of a long code), follows no link clicked and shows
// no file the code names.
TEST_F(LinkPageTest, previewShowsTheCodeAsAPageAndReachesNothing)
{
    start(kTwoSites);
    LinkPreview *preview = dialog->pageTab()->linkPage()->preview();
    choose(3);
    EXPECT_EQ(preview->toPlainText(), QString::fromUtf8("ちくわ通信\n"));
    click(ControlId::ModeContent);
    EXPECT_EQ(preview->toPlainText(), QString::fromUtf8("練り物の話\n"));

    QTest::mouseClick(preview->viewport(), Qt::LeftButton, {}, preview->cursorRect(QTextCursor(preview->document())).center());
    EXPECT_EQ(preview->toPlainText(), QString::fromUtf8("練り物の話\n"));
    box()->setLinkCode(QStringLiteral("x<BR>\r\n").repeated(PreviewMarkup::kMaxLines + 1));
    EXPECT_EQ(preview->toPlainText().count(QLatin1Char('x')), PreviewMarkup::kMaxLines);
    EXPECT_TRUE(preview->toPlainText().contains(QString::fromUtf8("（プレビューは最初の 400 行までです）")));
    dialog->pageTab()->setCurrentIndex(0); // a hidden preview catches up when shown
    box()->setLinkCode(QStringLiteral("y"));
    dialog->pageTab()->setCurrentIndex(1);
    EXPECT_EQ(preview->toPlainText(), QStringLiteral("y"));
}

TEST_F(LinkPageTest, saveWritesTheChosenEncodingAndPageOrSaysWhyNot)
{
    start(kTwoSites);
    choose(3);
    const QString file = reg.file(QStringLiteral("out.html"));
    save(false, false, file);
    EXPECT_EQ(reg.read(QStringLiteral("out.html")), Sjis("<A href=\"http://chikuwa.example.jp/\">ちくわ通信</A><BR>\r\n"));
    const auto *status = dialog->findChild<QLabel *>(QStringLiteral("statusLine"));
    EXPECT_TRUE(status->isVisibleTo(dialog.get()));
    EXPECT_EQ(status->text(), QString::fromUtf8("リンク集を %1 に保存しました。").arg(file));
    save(true, true, file, true);
    // The page itself is the document builder's; here, that the choices reach the file.
    EXPECT_EQ(reg.read(QStringLiteral("out.html")), BuildLinkCodeDocument(Sjis(kChikuwa.toUtf8().constData()), {LinkCodeEncoding::Utf8, true}));

    const QString missing = reg.file(QStringLiteral("missing/out.html"));
    save(false, false, missing);
    // Only the failure is shown: neither save before it said anything.
    const QString why = QString::fromUtf8("「%1」に保存できませんでした。\n保存先のフォルダーがありません。").arg(missing);
    EXPECT_EQ(boxes.shown, (std::vector<RecordingMessageBoxes::Shown>{{kCaption, why, false}}));
    EXPECT_EQ(status->text(), QString::fromUtf8("リンク集を %1 に保存しました。").arg(file)) << "a failure told as a save";
}

// Which results count as dead is the results' own business; here, that they reach the code.
TEST_F(LinkPageTest, deadLinkOptionLeavesOutTheDeadSites)
{
    start({MakeRecord("dead", "http://dead.example/"), MakeRecord("unchecked", "http://unchecked.example/")});
    LinkResults results;
    results.record("http://dead.example/", {{LinkStatus::Gone, 404, {}, {}, {}}, QDateTime::currentDateTimeUtc()});
    ASSERT_TRUE(results.save(dialog->sites()));
    click(ControlId::ExcludeDeadLinks);
    EXPECT_EQ(box()->linkCode(), QStringLiteral("<A href=\"http://unchecked.example/\">unchecked</A><BR>\r\n"));

    // The list marks the checked site, by its URL, with its health and a tooltip naming the code.
    dialog->ShowLinkResults();
    const QAbstractItemModel *list = dialog->siteView()->model();
    EXPECT_EQ(list->index(0, 0).data(SiteTableModel::LinkHealthRole).toInt(), int(LinkVerdict::Dead));
    EXPECT_TRUE(list->index(0, 0).data(Qt::ToolTipRole).toString().contains(QStringLiteral("404")));
    EXPECT_FALSE(list->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(list->index(1, 0).data(SiteTableModel::LinkHealthRole).toInt(), int(LinkVerdict::Unchecked));
    EXPECT_TRUE(list->index(1, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
}

// Written in the list's order, the code follows the list's sorting and search as they change.
TEST_F(LinkPageTest, listOrderOptionWritesTheSitesTheListShowsInItsOrder)
{
    start({MakeRecord("b", "http://b/"), MakeRecord("c", "http://c/"), MakeRecord("a", "http://a/")});
    auto *list = qobject_cast<SiteFilterModel *>(dialog->siteView()->model());
    ASSERT_TRUE(list);
    list->sort(SiteTableModel::NameColumn, Qt::AscendingOrder);
    const auto entry = [](const char *name) {
        return QStringLiteral("<A href=\"http://%1/\">%1</A><BR>\r\n").arg(QLatin1String(name));
    };
    click(ControlId::ListOrder);
    EXPECT_EQ(box()->linkCode(), entry("a") + entry("b") + entry("c"));
    list->setSearchText(QStringLiteral("c"));
    EXPECT_EQ(box()->linkCode(), entry("c"));
    click(ControlId::ListOrder);
    EXPECT_EQ(box()->linkCode(), entry("b") + entry("c") + entry("a"));
}

// 新着に印: the sites added within the days typed get the HTML typed after their link, as the user
// changes either; off again, the code has no mark.
TEST_F(LinkPageTest, newMarkOptionMarksTheSitesAddedWithinTheDaysTyped)
{
    const std::int64_t now = 1796817600;
    const HeldSiteClock clock(now);
    SiteRecord fresh = MakeRecord("fresh", "http://fresh/"), old = MakeRecord("old", "http://old/");
    fresh.SetDates(now - 86400, now - 86400);
    old.SetDates(now - 30 * 86400, now - 30 * 86400);
    start({fresh, old});
    const auto entry = [](const char *name, const char *mark = "") {
        return QStringLiteral("<A href=\"http://%1/\">%1</A>%2<BR>\r\n").arg(QLatin1String(name), QString::fromUtf8(mark));
    };
    click(ControlId::NewMarks);
    EXPECT_EQ(box()->linkCode(), entry("fresh", " NEW!") + entry("old"));
    auto *days = dialog->control<QLineEdit>(ControlId::NewDays);
    days->selectAll();
    QTest::keyClicks(days, QStringLiteral("31"));
    auto *html = dialog->control<QLineEdit>(ControlId::NewMarkHtml);
    html->selectAll();
    QTest::keyClicks(html, QStringLiteral("<img src=\"new.gif\">"));
    EXPECT_EQ(box()->linkCode(), entry("fresh", " <img src=\"new.gif\">") + entry("old", " <img src=\"new.gif\">"));
    click(ControlId::NewMarks);
    EXPECT_EQ(box()->linkCode(), entry("fresh") + entry("old"));
}

} // namespace
