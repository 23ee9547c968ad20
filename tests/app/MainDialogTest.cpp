#include "AppTestSupport.h"
#include "DialogTemplate.h"
#include "KeywordList.h"
#include "PageTab.h"
#include "RegisterPage.h"
#include "LinkPage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

namespace {

using MainDialogTest = WindowTest<ObservedDialog>;

TEST_F(MainDialogTest, startUpShowsCaptionFirstTabFirstModeFocusOnTheListAndTemplateOrder)
{
    start(ThreeSites());
    EXPECT_EQ(dialog->windowTitle(), kCaption);
    EXPECT_FALSE(dialog->windowIcon().isNull());
    PageTab *tab = dialog->pageTab();
    EXPECT_EQ(tab->currentIndex(), 0);
    EXPECT_EQ(tab->tabText(0), QString::fromUtf8("サイト / リンク 登録"));
    EXPECT_EQ(tab->tabText(1), QString::fromUtf8("リンク集の作成"));
    EXPECT_TRUE(tab->registerPage()->isVisible());
    EXPECT_FALSE(tab->linkPage()->isVisible());
    for (auto [id, checked] : {std::pair{ControlId::ModeName, true}, std::pair{ControlId::ModeContent, false},
                               std::pair{ControlId::ModeNameAndContent, false}})
        EXPECT_EQ(dialog->control<QRadioButton>(id)->isChecked(), checked) << id;
    EXPECT_EQ(dialog->KeywordFilter, kAllKeywords);
    EXPECT_EQ(QApplication::focusWidget() ? QApplication::focusWidget() : dialog->focusWidget(), view());
    EXPECT_TRUE(boxes.shown.empty());

    for (const DialogTemplate *t : {&DialogTemplates::mainDialog(), &DialogTemplates::registerPage(),
                                    &DialogTemplates::linkPage()})
        for (const ControlTemplate &control : t->controls)
            EXPECT_TRUE(control.id == 0 || dialog->control(control.id)) << control.id;
    EXPECT_EQ(dialog->control(4242), nullptr);

    // The icon buttons keep their text for tooltip and screen readers.
    for (auto [id, text] : {std::pair{ControlId::RegisterNew, "新しく登録"}, std::pair{ControlId::Delete, "削除"},
                            std::pair{ControlId::Update, "更新"}}) {
        auto *button = dialog->control<QPushButton>(id);
        EXPECT_FALSE(button->icon().isNull()) << id;
        EXPECT_TRUE(button->text().isEmpty()) << id;
        EXPECT_TRUE(button->toolTip().startsWith(QString::fromUtf8(text))) << id;
        EXPECT_EQ(button->accessibleName(), QString::fromUtf8(text));
    }

    // Tab order is template order.
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
    click(ControlId::ModeContent);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    EXPECT_TRUE(tab->registerPage()->isVisible());
    EXPECT_FALSE(tab->linkPage()->isVisible());
    EXPECT_EQ(dialog->ItemText(ControlId::SiteName), QStringLiteral("typed site"));
    EXPECT_TRUE(dialog->control<QRadioButton>(ControlId::ModeContent)->isChecked());
    EXPECT_FALSE(dialog->control<QRadioButton>(ControlId::ModeName)->isChecked());
}

TEST_F(MainDialogTest, listShowsTheRegisterInOrderUnderItsColumnsWithTheLastRowCurrent)
{
    start(ThreeSites());
    ASSERT_EQ(rowCount(), 3);
    ASSERT_EQ(view()->model()->columnCount(), 6);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(rowTexts(row), FieldTexts(ThreeSites()[std::size_t(row)])) << row;
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 2);
    const QModelIndexList selected = view()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().row(), 2);
    EXPECT_EQ(view()->currentIndex().row(), 2);

    const char *titles[] = {"サイト名", "URL", "ｷｰﾜｰﾄﾞ1", "ｷｰﾜｰﾄﾞ2", "ｷｰﾜｰﾄﾞ3", "内容"};
    const int widths[] = {120, 120, 65, 65, 65, 120};
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(view()->model()->headerData(column, Qt::Horizontal).toString(), QString::fromUtf8(titles[column]));
        EXPECT_EQ(view()->columnWidth(column), widths[column]);
    }
    EXPECT_FALSE(view()->verticalHeader()->isVisible());
    EXPECT_TRUE(view()->showGrid());
}

TEST_F(MainDialogTest, fillMakesTheLastRowCurrentAndScrollsItIntoView)
{
    start(std::vector<SiteRecord>(200, MakeRecord("サイト", "http://example.jp/")));
    EXPECT_TRUE(view()->viewport()->rect().intersects(view()->visualRect(view()->model()->index(199, 0))));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 199);

    EXPECT_FALSE(dialog->SelectSiteRow(200));
    EXPECT_FALSE(dialog->SelectSiteRow(-1));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 199);
    EXPECT_TRUE(dialog->SelectSiteRow(0));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 0);
    dialog->m_store.m_sites.push_back(MakeRecord("追加", "http://new.example.jp/"));
    dialog->FillSiteList();
    EXPECT_EQ(rowCount(), 201);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 200);
    EXPECT_EQ(cell(200, 0), QString::fromUtf8("追加"));
}

TEST_F(MainDialogTest, clicksFillAllSixFieldsReplacingWhatWasTypedAndKeysDoNot)
{
    start(ThreeSites());
    const auto typeIntoFields = [this] {
        for (int id : kFieldIds)
            dialog->SetItemText(id, QStringLiteral("typed"));
    };
    typeIntoFields();
    clickRow(0);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 0);
    EXPECT_EQ(RegistrationFields(*dialog), FieldTexts(ThreeSites()[0]));

    // Below the rows the click fills from the row that is current.
    dialog->SelectSiteRow(2);
    typeIntoFields();
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, QPoint(10, view()->viewport()->height() - 3));
    EXPECT_EQ(RegistrationFields(*dialog), FieldTexts(ThreeSites()[2]));

    typeIntoFields();
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Up);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 1);
    QTest::keyClick(view(), Qt::Key_Up);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 0);
    EXPECT_EQ(RegistrationFields(*dialog), std::vector<QString>(6, QStringLiteral("typed")));

    // An empty register has no row, and a click changes nothing.
    start({});
    EXPECT_EQ(rowCount(), 0);
    EXPECT_EQ(view()->model()->columnCount(), 6);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), -1);
    typeIntoFields();
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(RegistrationFields(*dialog), std::vector<QString>(6, QStringLiteral("typed")));
}

TEST_F(MainDialogTest, headerClicksNeitherSortNorSelect)
{
    start(ThreeSites());
    QHeaderView *header = view()->horizontalHeader();
    for (int column : {0, 1, 5})
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(cell(row, 0), FieldTexts(ThreeSites()[std::size_t(row)])[0]);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 2);
    EXPECT_EQ(view()->selectionModel()->selectedIndexes().size(), 6);
}

TEST_F(MainDialogTest, enterAndEscapeInAFieldPressNothingAndEachButtonReachesItsOperationOnce)
{
    start(ThreeSites());
    for (int id : {ControlId::SiteList, ControlId::SiteName, ControlId::Keyword3}) {
        QWidget *target = dialog->control(id);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
        if (id != ControlId::SiteList) // where it is the close request
            QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_TRUE(dialog->isVisible()) << id;
    }
    EXPECT_EQ(dialog->calls, (QMap<QString, int>{}));

    for (auto [id, operation] : {std::pair{ControlId::RegisterNew, "RegisterNewSite"},
                                 std::pair{ControlId::Update, "UpdateSite"}, std::pair{ControlId::Delete, "DeleteSite"},
                                 std::pair{ControlId::GenerateCode, "GenerateLinkCode"},
                                 std::pair{ControlId::SiteJump, "OnSiteJump"},
                                 std::pair{ControlId::Banner, "OnClickBanner"}}) {
        dialog->calls.clear();
        dialog->pageTab()->setCurrentWidget(dialog->control(id)->parentWidget());
        click(id);
        EXPECT_EQ(dialog->calls, (QMap<QString, int>{{QString::fromUtf8(operation), 1}}));
    }
}

// A click anywhere on a button, radio button or combo lands on it: nothing lies over its face.
TEST_F(MainDialogTest, everyControlTakesClicksOnItsWholeFace)
{
    start(ThreeSites());
    for (int tab : {0, 1}) {
        dialog->pageTab()->setCurrentIndex(tab);
        for (QWidget *widget : dialog->findChildren<QWidget *>()) {
            if (!widget->isVisible() || !(qobject_cast<QAbstractButton *>(widget) || qobject_cast<QComboBox *>(widget)))
                continue;
            const QRect face = widget->rect().adjusted(1, 1, -2, -2);
            for (QPoint point : {face.center(), face.topLeft(), face.topRight(), face.bottomLeft(), face.bottomRight()})
                EXPECT_EQ(dialog->childAt(widget->mapTo(dialog.get(), point)), widget)
                    << widget->objectName().toStdString() << " at " << point.x() << "," << point.y();
        }
    }
}

} // namespace

// A stored name that looks like markup reads in a question exactly as it is stored.
TEST(DialogMessageBoxes, textIsPlainNotMarkup)
{
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&format] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        format = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->textFormat();
        box->done(QMessageBox::No);
    });
    DialogMessageBoxes().askYesNo(nullptr, kCaption, QStringLiteral("<b>X</b>"), MessageBoxes::Answer::Yes);
    EXPECT_EQ(format, Qt::PlainText);
}
