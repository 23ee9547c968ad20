#include "AppTestSupport.h"
#include "CaseName.h"
#include "DialogTemplate.h"
#include "KeywordList.h"
#include "LinkPage.h"
#include "PageTab.h"
#include "RegisterPage.h"
#include "SiteEntry.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableView>
#include <QTest>

#include <memory>

namespace {

const QString kCaption = QString::fromUtf8("サイト管理[ヴァントレル]");

std::vector<SiteRecord> ThreeSites()
{
    // Not in alphabetical order, so that any sorting would show.
    return {MakeRecord("ちくわ通信", "http://chikuwa.example.jp/", "食べ物", "ﾚｼﾋﾟ", "", "練り物の話"),
            MakeRecord("Abc 日記", "http://abc.example.jp/", "日記", "", "趣味", ""),
            MakeRecord("わたしのリンク", "https://link.example.jp/", "", "", "", "内容だけ")};
}

class MainDialogTest : public WindowTest<ObservedDialog>
{
protected:
    void typeIntoFields(const QString &text)
    {
        for (int id : {ControlId::SiteName, ControlId::SiteUrl, ControlId::Keyword1, ControlId::Keyword2,
                       ControlId::Keyword3, ControlId::Content})
            dialog->SetItemText(id, text);
    }
};

TEST_F(MainDialogTest, startUp_captionFirstTabAndFirstOutputMode)
{
    start(ThreeSites());
    EXPECT_EQ(dialog->windowTitle(), kCaption);
    EXPECT_EQ(dialog->pageTab()->currentIndex(), 0);
    EXPECT_EQ(dialog->pageTab()->tabText(0), QString::fromUtf8("サイト / リンク 登録"));
    EXPECT_EQ(dialog->pageTab()->tabText(1), QString::fromUtf8("リンク集の作成"));
    EXPECT_TRUE(dialog->pageTab()->registerPage()->isVisible());
    EXPECT_FALSE(dialog->pageTab()->linkPage()->isVisible());
    EXPECT_TRUE(dialog->control<QRadioButton>(ControlId::ModeName)->isChecked());
    EXPECT_FALSE(dialog->control<QRadioButton>(ControlId::ModeContent)->isChecked());
    EXPECT_FALSE(dialog->control<QRadioButton>(ControlId::ModeNameAndContent)->isChecked());
    EXPECT_EQ(dialog->KeywordFilter, kAllKeywords);
    EXPECT_EQ(QApplication::focusWidget() ? QApplication::focusWidget() : dialog->focusWidget(), view());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainDialogTest, everyTemplateControlIsReachableByItsId)
{
    start({});
    for (const DialogTemplate *dialogTemplate :
         {&DialogTemplates::mainDialog(), &DialogTemplates::registerPage(), &DialogTemplates::linkPage()}) {
        for (const ControlTemplate &control : dialogTemplate->controls) {
            if (control.id == 0)
                continue;
            QWidget *widget = dialog->control(control.id);
            ASSERT_NE(widget, nullptr) << control.id;
            EXPECT_EQ(widget->objectName(), QString::number(control.id));
        }
    }
    EXPECT_EQ(dialog->control(4242), nullptr);
}

TEST_F(MainDialogTest, iconButtonsShowIconsAndKeepTheirTextForTooltipAndScreenReaders)
{
    start({});
    for (auto [id, text] : {std::pair{ControlId::RegisterNew, "新しく登録"}, std::pair{ControlId::Delete, "削除"},
                            std::pair{ControlId::Update, "更新"}}) {
        auto *button = dialog->control<QPushButton>(id);
        EXPECT_FALSE(button->icon().isNull()) << id;
        EXPECT_TRUE(button->text().isEmpty()) << id;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(text));
        EXPECT_EQ(button->accessibleName(), QString::fromUtf8(text));
    }
    EXPECT_FALSE(dialog->windowIcon().isNull());
}

TEST_F(MainDialogTest, tabFromTheListReachesSiteJump)
{
    start(ThreeSites());
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Tab);
    EXPECT_EQ(dialog->focusWidget(), dialog->control(ControlId::SiteJump));
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dialog->focusWidget(), dialog->control(ControlId::SiteName));
}

TEST_F(MainDialogTest, switchingTabsShowsOnePageAndKeepsWhatWasTyped)
{
    start(ThreeSites());
    QTest::keyClicks(dialog->control(ControlId::SiteName), QStringLiteral("typed site"));
    PageTab *tab = dialog->pageTab();
    QTabBar *bar = tab->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_FALSE(tab->registerPage()->isVisible());
    EXPECT_TRUE(tab->linkPage()->isVisible());
    QTest::mouseClick(dialog->control(ControlId::ModeContent), Qt::LeftButton);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    EXPECT_TRUE(tab->registerPage()->isVisible());
    EXPECT_FALSE(tab->linkPage()->isVisible());
    EXPECT_EQ(dialog->ItemText(ControlId::SiteName), QStringLiteral("typed site"));
    EXPECT_TRUE(dialog->control<QRadioButton>(ControlId::ModeContent)->isChecked());
    EXPECT_FALSE(dialog->control<QRadioButton>(ControlId::ModeName)->isChecked());
}

TEST_F(MainDialogTest, listShowsTheRegisterInOrderWithTheLastRowCurrent)
{
    start(ThreeSites());
    ASSERT_EQ(view()->model()->rowCount(), 3);
    ASSERT_EQ(view()->model()->columnCount(), 6);
    const std::vector<SiteRecord> sites = ThreeSites();
    for (int row = 0; row < 3; ++row) {
        const SiteFields expected = DecodeSiteFields(sites[std::size_t(row)]);
        EXPECT_EQ(cell(row, 0), expected.name);
        EXPECT_EQ(cell(row, 1), expected.url);
        EXPECT_EQ(cell(row, 2), expected.keyword1);
        EXPECT_EQ(cell(row, 3), expected.keyword2);
        EXPECT_EQ(cell(row, 4), expected.keyword3);
        EXPECT_EQ(cell(row, 5), expected.content);
    }
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 2);
    const QModelIndexList selected = view()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().row(), 2);
    EXPECT_EQ(view()->currentIndex().row(), 2);
}

TEST_F(MainDialogTest, columnsHaveTheirTitlesAndWidths)
{
    start({});
    const char *titles[] = {"サイト名", "URL", "ｷｰﾜｰﾄﾞ1", "ｷｰﾜｰﾄﾞ2", "ｷｰﾜｰﾄﾞ3", "内容"};
    const int widths[] = {120, 120, 65, 65, 65, 120};
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(view()->model()->headerData(column, Qt::Horizontal).toString(), QString::fromUtf8(titles[column]));
        EXPECT_EQ(view()->columnWidth(column), widths[column]);
    }
    EXPECT_FALSE(view()->verticalHeader()->isVisible());
    EXPECT_TRUE(view()->showGrid());
}

TEST_F(MainDialogTest, fillScrollsTheLastRowIntoView)
{
    std::vector<SiteRecord> many;
    for (int i = 0; i < 200; ++i)
        many.push_back(MakeRecord("サイト", "http://example.jp/"));
    start(many);
    const QRect last = view()->visualRect(view()->model()->index(199, 0));
    EXPECT_TRUE(view()->viewport()->rect().intersects(last));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 199);
}

TEST_F(MainDialogTest, clickOnARowFillsAllSixFieldsReplacingWhatWasTyped)
{
    start(ThreeSites());
    typeIntoFields(QStringLiteral("typed"));
    clickRow(0);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 0);
    const SiteFields expected = DecodeSiteFields(ThreeSites()[0]);
    EXPECT_EQ(RegistrationFields(*dialog),
              (std::vector<QString>{expected.name, expected.url, expected.keyword1, expected.keyword2,
                                    expected.keyword3, expected.content}));
}

TEST_F(MainDialogTest, clickBelowTheRowsFillsFromTheCurrentRow)
{
    start(ThreeSites());
    typeIntoFields(QStringLiteral("typed"));
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, QPoint(10, view()->viewport()->height() - 3));
    EXPECT_EQ(dialog->ItemText(ControlId::SiteName), DecodeSiteFields(ThreeSites()[2]).name);
}

TEST_F(MainDialogTest, arrowKeysMoveTheCurrentRowWithoutFilling)
{
    start(ThreeSites());
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Up);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 1);
    QTest::keyClick(view(), Qt::Key_Up);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 0);
    EXPECT_EQ(RegistrationFields(*dialog), std::vector<QString>(6));
}

TEST_F(MainDialogTest, headerClicksNeitherSortNorSelect)
{
    start(ThreeSites());
    QHeaderView *header = view()->horizontalHeader();
    for (int column : {0, 1, 5}) {
        const int x = header->sectionViewportPosition(column) + 5;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    EXPECT_EQ(cell(0, 0), QString::fromUtf8("ちくわ通信"));
    EXPECT_EQ(cell(1, 0), QString::fromUtf8("Abc 日記"));
    EXPECT_EQ(cell(2, 0), QString::fromUtf8("わたしのリンク"));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 2);
    EXPECT_EQ(view()->selectionModel()->selectedIndexes().size(), 6);
}

TEST_F(MainDialogTest, emptyRegisterHasNoRowAndAClickChangesNothing)
{
    start({});
    EXPECT_EQ(view()->model()->rowCount(), 0);
    EXPECT_EQ(view()->model()->columnCount(), 6);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), -1);
    typeIntoFields(QStringLiteral("typed"));
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(RegistrationFields(*dialog), std::vector<QString>(6, QStringLiteral("typed")));
}

TEST_F(MainDialogTest, selectSiteRowRefusesRowsOutsideTheList)
{
    start(ThreeSites());
    EXPECT_FALSE(dialog->SelectSiteRow(3));
    EXPECT_FALSE(dialog->SelectSiteRow(-1));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 2);
    EXPECT_TRUE(dialog->SelectSiteRow(1));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 1);
}

TEST_F(MainDialogTest, aFillMakesTheLastRowCurrentWhateverWasCurrentBefore)
{
    start(ThreeSites());
    dialog->SelectSiteRow(0);
    dialog->m_store.m_sites.push_back(MakeRecord("追加", "http://new.example.jp/"));
    dialog->FillSiteList();
    EXPECT_EQ(view()->model()->rowCount(), 4);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 3);
    EXPECT_EQ(cell(3, 0), QString::fromUtf8("追加"));
}

struct EnterCase
{
    const char *name;
    int focusId;
};
void PrintTo(const EnterCase &c, std::ostream *out) { *out << c.name; }

class EnterKey : public MainDialogTest, public ::testing::WithParamInterface<EnterCase> {};

TEST_P(EnterKey, leavesTheWindowOpenAndPressesNothing)
{
    start(ThreeSites());
    QWidget *target = dialog->control(GetParam().focusId);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return);
    QTest::keyClick(target, Qt::Key_Enter);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->calls, (QMap<QString, int>{}));
}

INSTANTIATE_TEST_SUITE_P(Focus, EnterKey,
                         ::testing::Values(EnterCase{"list", ControlId::SiteList},
                                           EnterCase{"name_field", ControlId::SiteName},
                                           EnterCase{"keyword_field", ControlId::Keyword3}),
                         CaseName());

struct ForwardCase
{
    const char *name;
    int id;
    const char *operation;
};
void PrintTo(const ForwardCase &c, std::ostream *out) { *out << c.name; }

class PageButton : public MainDialogTest, public ::testing::WithParamInterface<ForwardCase> {};

TEST_P(PageButton, reachesItsOperationOfTheMainWindowOnce)
{
    start(ThreeSites());
    dialog->pageTab()->setCurrentWidget(dialog->control(GetParam().id)->parentWidget());
    QTest::mouseClick(dialog->control(GetParam().id), Qt::LeftButton);
    EXPECT_EQ(dialog->calls, (QMap<QString, int>{{QString::fromUtf8(GetParam().operation), 1}}));
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, PageButton,
    ::testing::Values(ForwardCase{"register_new", ControlId::RegisterNew, "RegisterNewSite"},
                      ForwardCase{"update", ControlId::Update, "UpdateSite"},
                      ForwardCase{"delete", ControlId::Delete, "DeleteSite"},
                      ForwardCase{"generate", ControlId::GenerateCode, "GenerateLinkCode"},
                      ForwardCase{"site_jump", ControlId::SiteJump, "OnSiteJump"},
                      ForwardCase{"banner", ControlId::Banner, "OnClickBanner"}),
    CaseName());

TEST_F(MainDialogTest, pageButtonsDoNothingBeforeThePagesHaveTheirOwner)
{
    ObservedDialog unstarted(boxes);
    QTest::mouseClick(unstarted.control(ControlId::RegisterNew), Qt::LeftButton);
    QTest::mouseClick(unstarted.control(ControlId::GenerateCode), Qt::LeftButton);
    EXPECT_TRUE(unstarted.calls.isEmpty());
}

TEST_F(MainDialogTest, onlyChoosingAComboEntryReachesSelectKeywordFilter)
{
    start(ThreeSites());
    auto *combo = dialog->control<QComboBox>(ControlId::KeywordCombo);
    combo->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    combo->setCurrentIndex(0);
    combo->setFocus();
    EXPECT_TRUE(dialog->calls.isEmpty());
    dialog->pageTab()->setCurrentIndex(1);
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(dialog->calls, (QMap<QString, int>{{QStringLiteral("SelectKeywordFilter"), 1}}));
    EXPECT_EQ(dialog->KeywordFilter, kAllKeywords);
}

} // namespace
