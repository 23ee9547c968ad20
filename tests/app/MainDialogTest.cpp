#include "AppTestSupport.h"
#include "KeywordList.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

namespace {

using MainDialogTest = WindowTest;

TEST_F(MainDialogTest, startUpShowsCaptionFirstTabFirstModeTheListAndFocusOnIt)
{
    start(ThreeSites());
    EXPECT_EQ(dialog->windowTitle(), kCaption);
    EXPECT_FALSE(dialog->windowIcon().isNull());
    PageTab *tab = dialog->pageTab();
    EXPECT_EQ(tab->tabText(0) + u'|' + tab->tabText(1), QString::fromUtf8("サイト / リンク 登録|リンク集の作成"));
    EXPECT_TRUE(tab->registerPage()->isVisible());
    EXPECT_TRUE(dialog->control<QRadioButton>(ControlId::ModeName)->isChecked());
    EXPECT_EQ(dialog->KeywordFilter, kAllKeywords);
    EXPECT_EQ(QApplication::focusWidget(), view());
    EXPECT_TRUE(boxes.shown.empty());
    for (const DialogTemplate *t : {&DialogTemplates::mainDialog(), &DialogTemplates::registerPage(),
                                    &DialogTemplates::linkPage()})
        for (const ControlTemplate &control : t->controls)
            EXPECT_TRUE(control.id == 0 || dialog->control(control.id)) << control.id;
    EXPECT_EQ(dialog->control(4242), nullptr);

    // The register in its order under the columns' titles, no row numbers.
    QStringList titles;
    for (int column = 0; column < 6; ++column)
        titles << view()->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(titles.join(u'|'), QString::fromUtf8("サイト名|URL|ｷｰﾜｰﾄﾞ1|ｷｰﾜｰﾄﾞ2|ｷｰﾜｰﾄﾞ3|内容"));
    ASSERT_EQ(rowCount(), 3);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 6; ++column)
            EXPECT_EQ(cell(row, column), FieldTexts(ThreeSites()[std::size_t(row)])[std::size_t(column)]) << row;
    EXPECT_FALSE(view()->verticalHeader()->isVisible());
    EXPECT_TRUE(view()->showGrid());

    // The icon buttons show the help page's words beside their icons, whole at the template's
    // size, and their keys in the tooltips.
    for (auto [id, words] : {std::pair{ControlId::RegisterNew, "新しく登録 (Ctrl+Return)"},
                             std::pair{ControlId::Update, "更新 (Ctrl+S)"}, std::pair{ControlId::Delete, "削除 (Ctrl+D)"},
                             std::pair{ControlId::NewSite, "新規 (Ctrl+N)"}}) {
        auto *button = dialog->control<QPushButton>(id);
        EXPECT_FALSE(button->icon().isNull()) << id;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(words)) << id;
        EXPECT_EQ(button->text(), button->toolTip().section(u' ', 0, 0)) << id;
        EXPECT_LE(button->sizeHint().width(), button->width()) << id;
    }
}

// The last row is current and in sight, whole, at start-up and after a refill.
TEST_F(MainDialogTest, fillMakesTheLastRowCurrentAndScrollsItIntoView)
{
    start(std::vector<SiteRecord>(40, MakeRecord("サイト", "http://example.jp/")));
    EXPECT_TRUE(view()->viewport()->rect().contains(view()->visualRect(view()->model()->index(39, 0))));
    EXPECT_EQ(view()->visualRect(view()->indexAt(QPoint(0, 0))).top(), 0) << "the top row is cut";
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 39);
    EXPECT_EQ(view()->selectionModel()->selectedRows().size(), 1);
    EXPECT_FALSE(dialog->SelectSiteRow(40));
    EXPECT_FALSE(dialog->SelectSiteRow(-1));
    EXPECT_TRUE(dialog->SelectSiteRow(0));
    ASSERT_TRUE(dialog->siteRegister().add(MakeRecord("追加", "http://new.example.jp/")).done());
    dialog->FillSiteList();
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 40);
    EXPECT_EQ(cell(40, 0), QString::fromUtf8("追加"));
}

// However a row becomes current, the six fields hold its record, over what was typed, and it is
// the highlighted row. (A change that keeps the same record current keeps what was typed: the
// records window test proves it.)
TEST_F(MainDialogTest, fieldsFollowTheCurrentRowHoweverItBecameCurrent)
{
    std::vector<SiteRecord> records;
    for (int i = 0; i < 40; ++i)
        records.push_back(MakeRecord(i == 20 ? "Kobe" : i == 30 ? "kyoto" : i == 31 ? "Ko ba" : "サイト", "http://example.jp/",
                                     QByteArray::number(i).constData()));
    using Act = std::function<void()>;
    const auto key = [this](Qt::Key k) { return [this, k] { QTest::keyClick(view(), k); }; };
    const Act removeCurrent = [this] {
        SiteRegister &reg = dialog->siteRegister();
        ASSERT_TRUE(reg.remove(reg.sites().number(std::size_t(dialog->GetSelectedSiteRow()))).done());
    };
    const struct
    {
        const char *name;
        int from;
        Act act;
        int row;
        bool typed = true; // the fields hold typing (otherwise what they were filled with)
    } cases[] = {
        {"click", 10, [this] { clickRow(5); }, 5},
        {"Down", 10, key(Qt::Key_Down), 11},
        {"type-ahead past a blank", 5, [this] { QTest::keyClicks(view(), QStringLiteral("ko b")); }, 31},
        {"Return loads the row", 10, key(Qt::Key_Return), 10},
        {"Space loads the row", 10, key(Qt::Key_Space), 10},
        // Fields left as filled follow to the row that took the removed one's place.
        {"removed elsewhere: the next row", 10, removeCurrent, 10, false},
        {"removed elsewhere: the new last row", 39, removeCurrent, 38, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        start(records);
        ASSERT_TRUE(dialog->SelectSiteRow(c.from));
        view()->setFocus();
        for (int id : c.typed ? kFieldIds : std::vector<int>())
            dialog->SetItemText(id, QStringLiteral("typed"));
        c.act();
        QCoreApplication::processEvents();
        const int row = dialog->GetSelectedSiteRow();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(row, c.row);
        EXPECT_EQ(RegistrationFields(*dialog), FieldTexts(dialog->sites().at(std::size_t(row))));
        EXPECT_TRUE(view()->selectionModel()->isRowSelected(row, {}));
    }

    // The only record removed elsewhere leaves no row: the fields keep what is typed. A record
    // added later is another record, and shows when it becomes current.
    start({MakeRecord("一件", "http://one.example.jp/")});
    ASSERT_TRUE(dialog->siteRegister().remove(1).done());
    dialog->SetItemText(ControlId::SiteName, QStringLiteral("typed"));
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(dialog->ItemText(ControlId::SiteName), QStringLiteral("typed"));
    ASSERT_EQ(dialog->siteRegister().add(MakeRecord("次", "http://next.example.jp/")).number, 2);
    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(dialog->ItemText(ControlId::SiteName), QString::fromUtf8("次"));
}

// The window has no default button and Escape never closes it: Enter pressing 新しく登録 or 更新
// would ask a question, and in the list Escape only empties the search.
TEST_F(MainDialogTest, enterAndEscapePressNothing)
{
    start(ThreeSites());
    TypeText(dialog->searchBar()->searchBox(), QStringLiteral("Abc"));
    for (int id : {ControlId::SiteList, ControlId::SiteName, ControlId::Keyword3}) {
        QWidget *target = dialog->control(id);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_TRUE(dialog->isVisible()) << id;
    }
    EXPECT_EQ(dialog->searchBar()->searchText(), QString());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ReadRegister(reg.path()), dialog->sites());
    EXPECT_EQ(dialog->sites().size(), 3u);
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

// Cyrillic and Greek are drawn in a font made for them, not in the Japanese font's full-width
// forms, in the list and in the fields; Japanese text stays in the Japanese font.
TEST_F(MainDialogTest, cyrillicAndGreekAreDrawnInAFontMadeForThem)
{
    const QStringList families = QFontDatabase::families();
    if (!families.contains(QStringLiteral("DejaVu Sans")) && !families.contains(QStringLiteral("Noto Sans")))
        GTEST_SKIP() << "no font for Cyrillic installed (scripts/setup.sh installs fonts-dejavu-core)";
    start({MakeRecord("Дезертир", "http://film.example/"),
           MakeRecord("日本語", "http://jp.example/")});
    const QString cyrillic = QString::fromUtf8("Дезертир");
    const auto width = [&cyrillic](const QFont &font) { return QFontMetrics(font).horizontalAdvance(cyrillic); };
    const QFont japanese = view()->font();
    const auto cellFont = [this](int row) {
        return qvariant_cast<QFont>(view()->model()->index(row, 0).data(Qt::FontRole)).resolve(view()->font());
    };
    // Full-width, eight letters are as wide as eight kanji; in a font of their own, well under six.
    EXPECT_GE(width(japanese), QFontMetrics(japanese).horizontalAdvance(QString::fromUtf8("日本語日本語日本")) - 1);
    EXPECT_LT(width(cellFont(0)), width(japanese) * 3 / 4);
    EXPECT_EQ(cellFont(1), japanese);
    clickRow(0);
    EXPECT_LT(width(dialog->control(ControlId::SiteName)->font()), width(japanese) * 3 / 4);
    clickRow(1);
    EXPECT_EQ(dialog->control(ControlId::SiteName)->font(), japanese);
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
