// The window acts on records, never on list positions. Another program (sitekanri-cli) changes
// the register while a question is open; the event loop turns until the watcher has brought the
// change into the window, and only then is the question answered, as a person would answer it.
#include "AppTestSupport.h"
#include "RecordingUrlHandler.h"
#include "UndoHistory.h"

#include <QCheckBox>
#include <QLabel>

namespace {

using Answer = MessageBoxes::Answer;

// "ABC": the sites siteA, siteB and siteC, at http://A.example.jp/ and so on.
std::vector<SiteRecord> Sites(const char *letters)
{
    std::vector<SiteRecord> sites;
    for (const char *l = letters; *l; ++l)
        sites.push_back(MakeRecord(("site" + std::string(1, *l)).c_str(), ("http://" + std::string(1, *l) + ".example.jp/").c_str()));
    return sites;
}

class RecordsWindowTest : public WindowTest
{
protected:
    // `arguments` run while the next question is open; it is answered once the window shows them.
    void elsewhereWhileAsked(const std::vector<const char *> &arguments)
    {
        boxes.whileAsked = [this, arguments] {
            cli(arguments);
            waitForWatcher();
        };
    }
};

// Select siteC (or the last row), and while the question is open siteA is deleted elsewhere:
// the site named is the one deleted or updated, and no other.
TEST_F(RecordsWindowTest, theSiteTheQuestionNamesIsTheOneChangedWhateverMovesMeanwhile)
{
    for (const auto &[row, update] : {std::pair{2, false}, {3, false}, {2, true}, {3, true}}) {
        SCOPED_TRACE(std::string(update ? "update" : "delete") + " of row " + std::to_string(row));
        start(Sites("ABCD"));
        clickRow(row);
        if (update)
            type(ControlId::Content, "書き換えた");
        boxes.answers.push_back(Answer::Yes);
        elsewhereWhileAsked({"delete", "1"});
        click(update ? ControlId::Update : ControlId::Delete);

        std::vector<SiteRecord> expected = Sites("BCD");
        if (update)
            expected[std::size_t(row - 1)].SetContent(Sjis("書き換えた"));
        else
            expected.erase(expected.begin() + (row - 1));
        EXPECT_EQ(onDisk(), expected);
        EXPECT_EQ(dialog->sites(), ReadRegister(reg.path()));
        EXPECT_EQ(boxes.shown.size(), 1u) << "a message beside the question";
    }
}

TEST_F(RecordsWindowTest, aSiteChangedElsewhereIsNeverWrittenOverAndTheTypingCanBeKept)
{
    start(Sites("ABCD"));
    clickRow(2);
    // Fields that hold what was filled in follow the site.
    cli({"update", "3", "--keyword1", "外で"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return field(ControlId::Keyword1) == QString::fromUtf8("外で"); }, 3000));

    // Typed, then other sites added and changed elsewhere: the current site and the typing stay.
    type(ControlId::Content, "入力した");
    cli({"add", "--name", "外から", "--url", "http://outside.example.jp/"});
    cli({"update", "1", "--name", "外で変更"});
    waitForWatcher();
    EXPECT_EQ(view()->currentIndex().data().toString(), QStringLiteral("siteC"));
    EXPECT_EQ(field(ControlId::Content), QString::fromUtf8("入力した"));

    // Changed elsewhere while asked: nothing written; Yes keeps the typing.
    boxes.answers = {Answer::Yes, Answer::Yes};
    elsewhereWhileAsked({"update", "3", "--content", "外の内容"});
    click(ControlId::Update);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[1].text.startsWith(
        QString::fromUtf8("「siteC」は他のプログラムで変更されていたため、更新しませんでした。")));
    EXPECT_EQ(ReadRegister(reg.path()).at(2).GetContent(), Sjis("外の内容"));
    EXPECT_EQ(field(ControlId::Content), QString::fromUtf8("入力した"));
    // The next 更新 applies the typing to the new version.
    boxes.answers = {Answer::Yes};
    click(ControlId::Update);
    EXPECT_EQ(onDisk()[2], MakeRecord("siteC", "http://C.example.jp/", "外で", "", "", "入力した"));

    // No: the fields show the other program's version.
    type(ControlId::Content, "また入力");
    boxes.answers = {Answer::Yes, Answer::No};
    elsewhereWhileAsked({"update", "3", "--content", "二度目"});
    click(ControlId::Update);
    EXPECT_EQ(field(ControlId::Content), QString::fromUtf8("二度目"));
    EXPECT_EQ(ReadRegister(reg.path()).at(2).GetContent(), Sjis("二度目"));
    // (A 削除 of a site changed meanwhile leaves it: the register's and the operations' tests.)
}

TEST_F(RecordsWindowTest, severalRowsGoByOneQuestionAsOneUndoStep)
{
    start(Sites("ABCDEFG"));
    activate();
    clickRow(1);
    clickRow(2, Qt::ShiftModifier);
    QTest::keyClick(view(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view()->selectionModel()->selectedRows().size(), 3);
    // The fields follow the current row.
    EXPECT_EQ(field(ControlId::SiteName), QStringLiteral("siteD"));

    QTest::keyClick(view(), Qt::Key_A, Qt::ControlModifier);
    clickRow(0, Qt::ControlModifier);
    ASSERT_EQ(view()->selectionModel()->selectedRows().size(), 6);
    boxes.answers.push_back(Answer::Yes);
    QTest::keyClick(view(), Qt::Key_Delete);
    EXPECT_EQ(boxes.shown, std::vector{Question("6 件のサイトを削除しても宜しいですか？\n・siteB\n・siteC\n・siteD\n・siteE\n・siteF\nほか 1 件")});
    EXPECT_EQ(onDisk(), Sites("A"));

    QTest::keyClick(view(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(onDisk(), Sites("ABCDEFG"));
    EXPECT_EQ(ReadRegister(reg.path()), dialog->sites());
    EXPECT_FALSE(dialog->undoHistory().canUndo());
}

// After a dead link is mended under "dead links only", the site leaves the list but stays in the
// fields; a site the list does not show as current is never opened.
TEST_F(RecordsWindowTest, theFieldsKeepTheirSiteWhenTheListHidesItAndOnlyAShownSiteOpens)
{
    WriteRegister(reg.path(), Sites("ABC"));
    LinkResults results;
    results.record("http://B.example.jp/", {{LinkStatus::Gone, 404, {}, {}, {}}, QDateTime::currentDateTimeUtc()});
    ASSERT_TRUE(results.save(ReadRegister(reg.path())));
    open();
    activate();
    RecordingUrlHandler browser;
    dialog->searchBar()->deadOnlyBox()->setChecked(true);
    ASSERT_EQ(rowCount(), 1);
    clickRow(0);
    type(ControlId::SiteUrl, "http://b2.example.jp/");
    boxes.answers.push_back(Answer::Yes);
    click(ControlId::Update);
    EXPECT_EQ(rowCount(), 0);
    EXPECT_EQ(field(ControlId::SiteName), QStringLiteral("siteB"));
    EXPECT_FALSE(view()->currentIndex().isValid());
    QTest::keyClick(dialog.get(), Qt::Key_J, Qt::ControlModifier);
    EXPECT_TRUE(browser.requests.empty());
    // 削除 from the form asks about it saying the list does not show it, and Enter keeps it.
    boxes.shown.clear();
    boxes.answers.push_back(Answer::No);
    QTest::keyClick(dialog.get(), Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(boxes.shown, std::vector{Question("siteBを削除しても宜しいですか？\nこのサイトは検索や絞り込みのため一覧に表示されていません。")});
    EXPECT_EQ(boxes.shown[0].preset, Answer::No);
    EXPECT_EQ(onDisk().size(), 3u);

    // Shown again, its row is the current one.
    dialog->searchBar()->deadOnlyBox()->setChecked(false);
    EXPECT_EQ(view()->currentIndex().row(), 1);
}

// A field holds a value of any length: a long content survives a click on its row and 更新.
TEST_F(RecordsWindowTest, aLongContentSurvivesClickAndUpdate)
{
    SiteRecord longOne = Sites("A")[0];
    longOne.SetContent(QByteArray("0123456789").repeated(4000) + "end");
    start({longOne});
    clickRow(0);
    boxes.answers.push_back(Answer::Yes);
    click(ControlId::Update);
    EXPECT_EQ(onDisk(), std::vector{longOne});
}

// What a sync tool set aside is taken in as any change made elsewhere, and told in the status
// line, with no question to answer. (That the register tells a take-in once: the conflict tests.)
TEST_F(RecordsWindowTest, copiesTakenInShowAsRecordsAndAreToldInTheStatusLine)
{
    start(ThreeSites());
    auto *status = dialog->findChild<QLabel *>(QStringLiteral("statusLine"));
    ASSERT_NE(status, nullptr);
    EXPECT_FALSE(status->isVisible());

    // A copy's name is a sync tool's, made of another computer's: a placeholder in it stays text.
    const QString copy = QStringLiteral("data2 (%1 %2 の競合コピー 2026-12-07).ini");
    const QString twin = QStringLiteral("data1.sync-conflict-20261207-144956-QBVMNFJ.ini");
    reg.write(copy, "[DATA]\r\nNAME=" + Sjis("ノートで変更") + "\r\nURL=http://note.example.jp/\r\n");
    reg.write(twin, reg.read(QStringLiteral("data1.ini")));
    // (What each copy becomes: the conflict intake table.)
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowCount() == 4 && !reg.exists(copy) && !reg.exists(twin); }, 3000));
    EXPECT_TRUE(status->isVisible());
    for (const QString &named : {copy, twin, QStringLiteral("番号 4")})
        EXPECT_TRUE(status->text().contains(named)) << status->text().toStdString();
    // A file numbered far above the rest is taken in as a copy is, and named as what it is.
    reg.write(QStringLiteral("data2000000000.ini"), "[DATA]\r\nNAME=far\r\nURL=http://far.example.jp/\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowCount() == 5 && !reg.exists(QStringLiteral("data2000000000.ini")); }, 3000));
    const QString number = QStringLiteral("番号 %1 の").arg(dialog->sites().number(dialog->sites().size() - 1));
    for (const QString &named : {QStringLiteral("data2000000000.ini（番号が他のデータファイルよりはるかに大きいファイル）"), number})
        EXPECT_TRUE(status->text().contains(named)) << status->text().toStdString();
    EXPECT_FALSE(status->text().contains(QStringLiteral("競合コピー"))) << status->text().toStdString();
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
