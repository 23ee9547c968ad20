// The search box, the count and header sorting through the real window.
// The matching and ordering rules themselves are proved in tests/finding and by the filter model's
// own test; here, that typing and clicks reach them and that they change the view only.
#include "AppTestSupport.h"
#include "CodePage.h"

#include <QCheckBox>
#include <QDialog>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QToolTip>

namespace {

std::vector<SiteRecord> FourSites()
{
    return {MakeRecord("毎日ニュース", "https://news.example.jp/", "ﾆｭｰｽ", "", "", "国内と海外"),
            MakeRecord("ABC Cooking", "http://abc.example.com/", "料理"),
            MakeRecord("京都の寺", "http://kyoto.example.jp/", "旅行", "", "写真", "古都の四季"),
            MakeRecord("料理の基本", "https://ryouri.example.jp/", "料理", "", "", "だしの取り方")};
}

class FindingTest : public WindowTest
{
protected:
    SiteSearchBar *bar() const { return dialog->searchBar(); }
    void search(const char *utf8)
    {
        bar()->searchBox()->clear();
        TypeText(bar()->searchBox(), QString::fromUtf8(utf8));
    }
};

TEST_F(FindingTest, headerClicksSortAscendingDescendingThenRegisterOrder)
{
    start(FourSites());
    const QString registerOrder = column();
    // The header's arrow: which column, which way; none in the register's order.
    QHeaderView *header = view()->horizontalHeader();
    const auto arrow = [header] {
        return header->isSortIndicatorShown() ? std::pair{header->sortIndicatorSection(), header->sortIndicatorOrder()}
                                              : std::pair{-2, Qt::AscendingOrder};
    };
    EXPECT_EQ(arrow().first, -1);
    ClickHeader(header, 0);
    EXPECT_EQ(column(), QStringLiteral("ABC Cooking|京都の寺|料理の基本|毎日ニュース"));
    EXPECT_EQ(arrow(), std::pair(0, Qt::AscendingOrder));
    ClickHeader(header, 0);
    EXPECT_EQ(column(), QStringLiteral("毎日ニュース|料理の基本|京都の寺|ABC Cooking"));
    EXPECT_EQ(arrow(), std::pair(0, Qt::DescendingOrder));
    ClickHeader(header, 0);
    EXPECT_EQ(column(), registerOrder);
    EXPECT_EQ(arrow().first, -1);
    // Another column starts ascending again; the register on disk keeps its order throughout.
    ClickHeader(header, 1);
    EXPECT_EQ(column(), QStringLiteral("ABC Cooking|京都の寺|毎日ニュース|料理の基本"));
    EXPECT_EQ(ReadRegister(reg.path()), dialog->sites());
    EXPECT_EQ(CodePage::toText(dialog->sites().at(0).GetName()), QString::fromUtf8("毎日ニュース"));
}

// The view's first row is the register's last: update and delete reach that record only.
TEST_F(FindingTest, operationsOnASearchedAndSortedListActOnTheRecordShown)
{
    const std::vector<SiteRecord> four = FourSites();
    start(four);
    search("料理");
    ClickHeader(view()->horizontalHeader(), 0);
    ClickHeader(view()->horizontalHeader(), 0);
    ASSERT_EQ(column(), QStringLiteral("料理の基本|ABC Cooking"));
    clickRow(0);
    EXPECT_EQ(field(ControlId::SiteName), QString::fromUtf8("料理の基本"));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 3);

    type(ControlId::Content, "書き換えた");
    boxes.answers.push_back(MessageBoxes::Answer::Yes);
    click(ControlId::Update);
    std::vector<SiteRecord> expected = four;
    expected[3].SetContent(Sjis("書き換えた"));
    EXPECT_EQ(onDisk(), expected);

    boxes.answers.push_back(MessageBoxes::Answer::Yes);
    click(ControlId::Delete);
    expected.erase(expected.begin() + 3);
    EXPECT_EQ(ReadRegister(reg.path()), dialog->sites());
    EXPECT_EQ(onDisk(), expected);
    // The row that took its place in the view is current and shown.
    EXPECT_EQ(column(), QStringLiteral("ABC Cooking"));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 1);
    EXPECT_EQ(field(ControlId::SiteName), QStringLiteral("ABC Cooking"));

    // A site registered that the search hides: no row claims it, yet the fields and the
    // operations are about it.
    type(ControlId::SiteName, "新しいサイト");
    dialog->control<QLineEdit>(ControlId::SiteUrl)->setText(QStringLiteral("http://new.example.org/"));
    dialog->control<QLineEdit>(ControlId::Keyword1)->clear();
    click(ControlId::RegisterNew);
    EXPECT_EQ(column(), QStringLiteral("ABC Cooking"));
    EXPECT_FALSE(view()->currentIndex().isValid());
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 3);
    EXPECT_EQ(CodePage::toText(dialog->sites().at(3).GetName()), QString::fromUtf8("新しいサイト"));
}

// Records added and changed elsewhere while the list is searched and sorted: the view follows
// row by row (never reset; where each row goes: the filter model's test), counts them, and its
// current row stays with its record.
TEST_F(FindingTest, registerChangesWhileSearchedKeepTheCurrentRecord)
{
    start(FourSites());
    search("example.jp");
    ClickHeader(view()->horizontalHeader(), 0);
    ASSERT_EQ(column(), QStringLiteral("京都の寺|料理の基本|毎日ニュース"));
    clickRow(2);
    ASSERT_EQ(field(ControlId::SiteName), QString::fromUtf8("毎日ニュース"));
    QSignalSpy resets(view()->model(), &QAbstractItemModel::modelReset);

    ASSERT_TRUE(dialog->siteRegister().add(MakeRecord("あいうサイト", "http://aiu.example.jp/")).done());
    ASSERT_TRUE(dialog->siteRegister().add(MakeRecord("別の所", "http://other.example.org/")).done());
    EXPECT_EQ(view()->currentIndex().row(), 3);
    EXPECT_EQ(bar()->countText(), QStringLiteral("4 / 6 件"));
    // The current record changed elsewhere moves to its new place, still current.
    ASSERT_TRUE(dialog->siteRegister().update(1, MakeRecord("ん毎日", "https://news.example.jp/", "ﾆｭｰｽ", "", "", "国内と海外")).done());
    EXPECT_EQ(view()->currentIndex().row(), 1);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 0);
    // Removed elsewhere, a row that did not match leaves the count only.
    ASSERT_TRUE(dialog->siteRegister().remove(dialog->sites().number(1)).done());
    EXPECT_EQ(bar()->countText(), QStringLiteral("4 / 5 件"));
    EXPECT_EQ(view()->currentIndex().data().toString(), QString::fromUtf8("ん毎日"));
    EXPECT_EQ(resets.count(), 0);
}

TEST_F(FindingTest, ctrlFAndDownMoveBetweenTheBoxAndTheList)
{
    start(FourSites());
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), bar()->searchBox());
    search("料理"); // a name, and a keyword alone
    EXPECT_EQ(column(), QStringLiteral("ABC Cooking|料理の基本"));
    EXPECT_EQ(bar()->countText(), QStringLiteral("2 / 4 件"));
    // (Escape: with the keyword filter, below.) The record the fields show is current again once
    // the search no longer hides it.
    search("ABC");
    QTest::keyClick(bar()->searchBox(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), view());
    EXPECT_EQ(field(ControlId::SiteName), QStringLiteral("ABC Cooking"));
}

// A keyword the list is narrowed to is as plain as a search: the count names it, Escape in the box
// clears the search and then the keyword, and Tab reaches its button where the eye sees it. The
// keyword view makes way for the list it narrows; closed otherwise, it leaves the list as it was.
TEST_F(FindingTest, aKeywordFilterIsToldByTheCountAndEscapeClearsItAfterTheSearch)
{
    start(FourSites());
    activate();
    const auto keywordView = [] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->objectName() == QLatin1String("keywordView") && top->isVisible())
                return qobject_cast<QDialog *>(top);
        }
        return static_cast<QDialog *>(nullptr);
    };
    QTest::keyClick(view(), Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(keywordView());
    QTest::keyClick(keywordView(), Qt::Key_Escape);
    EXPECT_FALSE(keywordView());
    EXPECT_EQ(bar()->countText(), QStringLiteral("4 / 4 件"));

    QTest::keyClick(view(), Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(keywordView());
    auto *filter = keywordView()->findChild<QLineEdit *>();
    TypeText(filter, QString::fromUtf8("料理"));
    QTest::keyClick(filter, Qt::Key_Return);
    EXPECT_FALSE(keywordView()) << "the view stays over the list it narrowed";
    EXPECT_EQ(column(), QStringLiteral("ABC Cooking|料理の基本"));
    EXPECT_EQ(bar()->countText(), QString::fromUtf8("2 / 4 件（キーワード: 料理）"));

    search("abc");
    EXPECT_EQ(bar()->countText(), QString::fromUtf8("1 / 4 件（キーワード: 料理）"));
    // From the box, Tab goes to the keyword's button beside it, then to the switch.
    bar()->searchBox()->setFocus();
    QTest::keyClick(bar()->searchBox(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), bar()->keywordButton());
    QTest::keyClick(bar()->keywordButton(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), bar()->deadOnlyBox());
    QTest::keyClick(bar()->deadOnlyBox(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), bar()->keywordButton());

    QTest::keyClick(bar()->searchBox(), Qt::Key_Escape);
    EXPECT_EQ(bar()->countText(), QString::fromUtf8("2 / 4 件（キーワード: 料理）"));
    QTest::keyClick(bar()->searchBox(), Qt::Key_Escape);
    EXPECT_EQ(bar()->countText(), QStringLiteral("4 / 4 件"));
    EXPECT_FALSE(bar()->keywordButton()->isVisible());
    QTest::keyClick(bar()->searchBox(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(FindingTest, onlyACutOffCellShowsItsWholeTextAsATooltip)
{
    const QString longName = QString::fromUtf8("とても長い&lt;サイト&gt;名").repeated(6);
    start({MakeRecord(longName.toUtf8().constData(), "http://a.example.jp/"), MakeRecord("短い", "http://b.example.jp/")});
    for (int row : {1, 0}) {
        QToolTip::hideText();
        const QRect cellRect = view()->visualRect(view()->model()->index(row, 0));
        QHelpEvent help(QEvent::ToolTip, cellRect.center(), view()->viewport()->mapToGlobal(cellRect.center()));
        QApplication::sendEvent(view()->viewport(), &help);
        // The tip is rich text that shows the name as plain text: what the reader sees is compared.
        EXPECT_EQ(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText(),
                  row == 0 ? QString::fromUtf8("とても長い<サイト>名").repeated(6) : QString())
            << "row " << row;
    }
}

} // namespace
