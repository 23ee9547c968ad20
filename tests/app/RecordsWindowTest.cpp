// The window acts on records, never on list positions. Another program (sitekanri-cli) changes
// the register while a question is open; the event loop turns until the watcher has brought the
// change into the window, and only then is the question answered, as a person would answer it.
#include "AppTestSupport.h"
#include "DialogTemplate.h"
#include "LinkResults.h"
#include "RecordingUrlHandler.h"
#include "SiteRegister.h"
#include "SiteSearchBar.h"
#include "UndoHistory.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace {

using Answer = MessageBoxes::Answer;

SiteRecord Site(char letter)
{
    const std::string l(1, letter);
    return MakeRecord(("site" + l).c_str(), ("http://" + l + ".example.jp/").c_str());
}

std::vector<SiteRecord> Sites(const char *letters)
{
    std::vector<SiteRecord> sites;
    for (const char *l = letters; *l; ++l)
        sites.push_back(Site(*l));
    return sites;
}

std::vector<SiteRecord> Records(const SiteList &list)
{
    return {list.begin(), list.end()};
}

class RecordsWindowTest : public WindowTest
{
protected:
    void cli(const std::vector<const char *> &arguments)
    {
        QStringList args{QStringLiteral("--dir"), reg.path()};
        for (const char *argument : arguments)
            args << QString::fromUtf8(argument);
        const ProgramRun run = RunProgram(QStringLiteral(SITEKANRI_CLI), args);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }
    // `arguments` run while the next question is open; it is answered once the window shows them.
    void elsewhereWhileAsked(const std::vector<const char *> &arguments)
    {
        boxes.whileAsked = [this, arguments] {
            cli(arguments);
            waitForWatcher();
        };
    }
    QString text(int id) const { return dialog->ItemText(id); }
};

// Select siteC (or the last row), and while the question is open siteA is deleted elsewhere:
// the site named is the one deleted or updated, and no other.
TEST_F(RecordsWindowTest, theSiteTheQuestionNamesIsTheOneChangedWhateverMovesMeanwhile)
{
    const struct
    {
        int row;
        bool update;
    } cases[] = {{2, false}, {3, false}, {2, true}, {3, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.update ? "update" : "delete") + " of row " + std::to_string(c.row));
        start(Sites("ABCD"));
        clickRow(c.row);
        if (c.update)
            type(ControlId::Content, "書き換えた");
        boxes.answers.push_back(Answer::Yes);
        elsewhereWhileAsked({"delete", "1"});
        click(c.update ? ControlId::Update : ControlId::Delete);

        std::vector<SiteRecord> expected = Sites("BCD");
        if (c.update)
            expected[std::size_t(c.row - 1)].m_content = Sjis("書き換えた");
        else
            expected.erase(expected.begin() + (c.row - 1));
        EXPECT_EQ(Records(ReadRegister(reg.path())), expected);
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
    EXPECT_TRUE(QTest::qWaitFor([this] { return text(ControlId::Keyword1) == QString::fromUtf8("外で"); }, 3000));

    // Typed, then other sites added and changed elsewhere: the current site and the typing stay.
    type(ControlId::Content, "入力した");
    cli({"add", "--name", "外から", "--url", "http://outside.example.jp/"});
    cli({"update", "1", "--name", "外で変更"});
    waitForWatcher();
    EXPECT_EQ(view()->currentIndex().data().toString(), QStringLiteral("siteC"));
    EXPECT_EQ(text(ControlId::Content), QString::fromUtf8("入力した"));

    // Changed elsewhere while asked: nothing written; Yes keeps the typing.
    boxes.answers = {Answer::Yes, Answer::Yes};
    elsewhereWhileAsked({"update", "3", "--content", "外の内容"});
    click(ControlId::Update);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[1].text.startsWith(
        QString::fromUtf8("「siteC」は他のプログラムで変更されていたため、更新しませんでした。")));
    EXPECT_EQ(ReadRegister(reg.path()).at(2).m_content, Sjis("外の内容"));
    EXPECT_EQ(text(ControlId::Content), QString::fromUtf8("入力した"));
    // The next 更新 applies the typing to the new version.
    boxes.answers = {Answer::Yes};
    click(ControlId::Update);
    SiteRecord expected = Site('C');
    expected.m_keyword1 = Sjis("外で");
    expected.m_content = Sjis("入力した");
    EXPECT_EQ(ReadRegister(reg.path()).at(2), expected);

    // No: the fields show the other program's version.
    type(ControlId::Content, "また入力");
    boxes.answers = {Answer::Yes, Answer::No};
    elsewhereWhileAsked({"update", "3", "--content", "二度目"});
    click(ControlId::Update);
    EXPECT_EQ(text(ControlId::Content), QString::fromUtf8("二度目"));
    EXPECT_EQ(ReadRegister(reg.path()).at(2).m_content, Sjis("二度目"));
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
    EXPECT_EQ(text(ControlId::SiteName), QStringLiteral("siteD"));

    QTest::keyClick(view(), Qt::Key_A, Qt::ControlModifier);
    clickRow(0, Qt::ControlModifier);
    ASSERT_EQ(view()->selectionModel()->selectedRows().size(), 6);
    boxes.answers.push_back(Answer::Yes);
    QTest::keyClick(view(), Qt::Key_Delete);
    EXPECT_EQ(boxes.shown, std::vector{Question("6 件のサイトを削除しても宜しいですか？\n・siteB\n・siteC\n・siteD\n・siteE\n・siteF\nほか 1 件")});
    EXPECT_EQ(Records(ReadRegister(reg.path())), Sites("A"));

    QTest::keyClick(view(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Records(ReadRegister(reg.path())), Sites("ABCDEFG"));
    EXPECT_EQ(ReadRegister(reg.path()), dialog->sites());
    EXPECT_FALSE(dialog->undoHistory().canUndo());
}

// After a dead link is mended under "dead links only", the site leaves the list but stays in the
// fields; a site the list does not show as current is never opened.
TEST_F(RecordsWindowTest, theFieldsKeepTheirSiteWhenTheListHidesItAndOnlyAShownSiteOpens)
{
    WriteRegister(reg.path(), Sites("ABC"));
    LinkResults results;
    results.record(Site('B').m_url, {{LinkStatus::Gone, 404, {}, {}, {}}, QDateTime::currentDateTimeUtc()});
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
    EXPECT_EQ(text(ControlId::SiteName), QStringLiteral("siteB"));
    EXPECT_FALSE(view()->currentIndex().isValid());
    QTest::keyClick(dialog.get(), Qt::Key_J, Qt::ControlModifier);
    EXPECT_TRUE(browser.requests.empty());

    // Shown again, its row is the current one.
    dialog->searchBar()->deadOnlyBox()->setChecked(false);
    EXPECT_EQ(view()->currentIndex().row(), 1);
    TypeText(dialog->searchBar()->searchBox(), QStringLiteral("no such site"));
    QTest::keyClick(dialog.get(), Qt::Key_J, Qt::ControlModifier);
    EXPECT_TRUE(browser.requests.empty());
}

// A field holds a value of any length: a long content survives a click on its row and 更新.
TEST_F(RecordsWindowTest, aLongContentSurvivesClickAndUpdate)
{
    SiteRecord longOne = Site('A');
    longOne.m_content = QByteArray("0123456789").repeated(4000) + "end";
    start({longOne});
    clickRow(0);
    boxes.answers.push_back(Answer::Yes);
    click(ControlId::Update);
    EXPECT_EQ(Records(ReadRegister(reg.path())), std::vector{longOne});
}

// What a sync tool set aside is taken in as any change made elsewhere, and told once, in the
// status line, with no question to answer.
TEST_F(RecordsWindowTest, copiesTakenInShowAsRecordsAndAreToldOnceInTheStatusLine)
{
    start(ThreeSites());
    auto *status = dialog->findChild<QLabel *>(QStringLiteral("statusLine"));
    ASSERT_NE(status, nullptr);
    EXPECT_FALSE(status->isVisible());
    int told = 0;
    QObject::connect(&dialog->siteRegister(), &SiteRegister::conflictCopiesTakenIn, [&told] { ++told; });

    const QString copy = QStringLiteral("data2 (laptop の競合コピー 2026-12-07).ini");
    const QString twin = QStringLiteral("data1.sync-conflict-20261207-144956-QBVMNFJ.ini");
    reg.write(copy, "[DATA]\r\nNAME=" + Sjis("ノートで変更") + "\r\nURL=http://note.example.jp/\r\n");
    reg.write(twin, reg.read(QStringLiteral("data1.ini")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowCount() == 4 && !reg.exists(copy) && !reg.exists(twin); }, 3000));
    // The take-in's own writes are seen by the watcher before a later change is: once that one
    // shows, they have been handled, and must not have been told again.
    reg.write(QStringLiteral("data3.ini"), "[DATA]\r\nNAME=later\r\nURL=http://later.example.jp/\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return cell(2, 0) == QStringLiteral("later"); }, 3000));
    EXPECT_EQ(cell(3, 0), QString::fromUtf8("ノートで変更"));
    EXPECT_EQ(dialog->sites(), ReadRegister(reg.path()));
    EXPECT_TRUE(status->isVisible());
    for (const QString &named : {copy, twin, QStringLiteral("番号 4")})
        EXPECT_TRUE(status->text().contains(named)) << status->text().toStdString();
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
