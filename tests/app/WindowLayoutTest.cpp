// The window at the template's size and grown beyond it: where the controls stand, and what the
// window remembers from one run to the next.
#include "AppTestSupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QSplitter>

#include <algorithm>
#include <numeric>

namespace {

using WindowLayoutTest = WindowTest;

QSize templateSize()
{
    return DialogUnits::ofFont(DialogUnits::dialogFont()).toPixels(DialogTemplates::mainDialog().size);
}

// The values differ by `slack` at most.
bool same(std::initializer_list<int> values, int slack = 0)
{
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return *high - *low <= slack;
}

// What the eye checks on screen, at the template's size and in a grown window: the list takes the
// room, rows of controls line up, buttons alike, texts beside their fields, nothing over a frame.
TEST_F(WindowLayoutTest, listTakesTheRoomAndControlsLineUpAtTheTemplateSizeAndGrown)
{
    start(ThreeSites());
    // Never sized before, the window opens at the template's width and as tall as the screen's
    // free height allows, a title bar's room left: as many rows as can be seen.
    const QRect free = dialog->screen()->availableGeometry();
    EXPECT_EQ(dialog->width(), templateSize().width());
    EXPECT_GT(dialog->height(), templateSize().height());
    EXPECT_TRUE(free.height() - dialog->logicalDpiY() <= dialog->height() && dialog->height() < free.height())
        << dialog->height() << " of " << free.height();
    dialog->resize(templateSize());
    const auto place = [this](int id) {
        QWidget *widget = dialog->control(id);
        return QRect(widget->mapTo(dialog.get(), QPoint()), widget->size());
    };
    const QRect list = place(ControlId::SiteList), tab = place(ControlId::PageTab), jump = place(ControlId::SiteJump);
    for (const QSize growth : {QSize(0, 0), QSize(301, 200)}) {
        dialog->resize(templateSize() + growth);
        // Each page is laid out when it is shown.
        dialog->pageTab()->setCurrentIndex(1);
        auto *group = dialog->pageTab()->linkPage()->findChild<QGroupBox *>();
        const QRect inGroup = group->contentsRect().translated(group->pos());
        bool radiosInGroup = true;
        for (int id : {ControlId::ModeName, ControlId::ModeContent, ControlId::ModeNameAndContent}) {
            const QRect radio = dialog->control(id)->geometry();
            radiosInGroup &= radio.top() >= inGroup.top() && radio.bottom() <= inGroup.bottom();
        }
        dialog->pageTab()->setCurrentIndex(0);
        const QRect name = place(ControlId::SiteName), k1 = place(ControlId::Keyword1),
                    k2 = place(ControlId::Keyword2), k3 = place(ControlId::Keyword3),
                    add = place(ControlId::RegisterNew), update = place(ControlId::Update),
                    remove = place(ControlId::Delete);
        const auto labels = dialog->pageTab()->registerPage()->findChildren<QLabel *>();
        const auto *banner = dialog->control<QLabel>(ControlId::Banner);
        const std::pair<const char *, bool> facts[] = {
            {"list and tab as wide as grown", place(ControlId::SiteList).width() == list.width() + growth.width()
                 && place(ControlId::PageTab).width() == tab.width() + growth.width()},
            {"the list takes the height grown, the tab keeps what its fields need",
             place(ControlId::SiteList).height() == list.height() + growth.height() && place(ControlId::PageTab).height() == tab.height()},
            {"サイトジャンプ over the tab's right end", place(ControlId::SiteJump).topRight() - place(ControlId::PageTab).topRight()
                 == jump.topRight() - tab.topRight()},
            // A third of the room a page has beyond its template may be no whole pixel.
            {"keyword boxes on one row, equally high and wide", same({k1.y(), k2.y(), k3.y()})
                 && same({k1.height(), k2.height(), k3.height()}) && same({k1.width(), k2.width(), k3.width()}, 1)},
            {"keyword row as wide as the fields", k1.left() == name.left() && k3.right() == name.right()},
            {"buttons equally wide, one above the other",
             same({add.width(), update.width(), remove.width()}) && same({add.x(), update.x(), remove.x()})},
            {"labels on their fields' centre lines", std::all_of(labels.begin(), labels.end(), [](QLabel *label) {
                 return label->buddy()
                     && same({label->geometry().center().y(), label->buddy()->geometry().center().y()}, 1);
             })},
            {"radio buttons inside the group's frame, below its title", radiosInGroup},
            {"the banner's frame close around its picture",
             banner->contentsRect().size() == banner->pixmap().deviceIndependentSize().toSize()},
        };
        for (const auto &[what, holds] : facts)
            EXPECT_TRUE(holds) << what << ", grown by " << growth.width() << " x " << growth.height();
    }
    dialog->resize(templateSize() - QSize(40, 40));
    EXPECT_EQ(dialog->size(), templateSize());
}

// Every column shares the room the list is given, the long texts' most, the keywords enough for a
// keyword of a word or two, and no blank stays beside the last column; once the user sets a width,
// every width stays as it is, in this run and the next.
TEST_F(WindowLayoutTest, columnsShareTheRoomUntilTheUserSetsTheirWidths)
{
    start(ThreeSites());
    const auto widths = [this] {
        std::vector<int> all;
        for (int column = 0; column < 6; ++column)
            all.push_back(view()->columnWidth(column));
        return all;
    };
    const int keyword = view()->fontMetrics().horizontalAdvance(QStringLiteral("OSINTBookmarks")) + 8;
    for (const QSize growth : {QSize(0, 0), QSize(301, 0), QSize(800, 100)}) {
        dialog->resize(templateSize() + growth);
        const std::vector<int> w = widths();
        EXPECT_TRUE(same({w[2], w[3], w[4]}, 1) && same({w[0], w[1], w[5]}, 1)) << growth.width();
        EXPECT_TRUE(w[2] >= 65 && w[0] - 120 >= w[2] - 65) << growth.width() << ": " << w[0] << " " << w[2];
        EXPECT_EQ(growth.width() >= 800, w[2] >= keyword) << growth.width() << ": " << w[2];
        EXPECT_EQ(std::accumulate(w.begin(), w.end(), 0), std::max(555, view()->viewport()->width())) << growth.width();
    }
    view()->horizontalHeader()->resizeSection(0, 200); // what a drag of its edge does
    const std::vector<int> own = widths();
    dialog->resize(templateSize() + QSize(100, 0));
    EXPECT_EQ(widths(), own);
    dialog->close();
    open();
    EXPECT_EQ(widths(), own);
}

// (The columns' own widths outlive the window too: the test above proves it.)
TEST_F(WindowLayoutTest, sizePlaceAndMaximisedStateOutliveTheWindowButNotTheScreen)
{
    start(ThreeSites());
    const QSize size = templateSize() + QSize(120, 80);
    dialog->resize(size);
    dialog->move(40, 30);
    dialog->close();
    open();
    EXPECT_EQ(dialog->size(), size);
    EXPECT_EQ(dialog->pos(), QPoint(40, 30));
    // What no longer fits is left alone: a place on a screen since unplugged, the widths of a
    // list of other columns.
    dialog->close();
    QSettings saved(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("sitekanri"), QStringLiteral("window"));
    saved.setValue(QStringLiteral("window/position"), QPoint(-20000, -20000));
    saved.setValue(QStringLiteral("list/columnWidths"), QStringList{QStringLiteral("50"), QStringLiteral("60")});
    saved.sync();
    open();
    EXPECT_TRUE(dialog->screen()->geometry().contains(dialog->geometry().center()));
    EXPECT_GT(view()->columnWidth(1), 120); // sharing the room again
    dialog->showMaximized();
    dialog->close();
    open();
    EXPECT_TRUE(dialog->isMaximized());
    EXPECT_EQ(dialog->normalGeometry().size(), size);
}

// The user drags the splitter between the list and the tab: the pages then keep the share of the
// room beyond their fields' need that the user gave them, in a window grown or shrunk, and in the
// next run, which opens as the window closed.
TEST_F(WindowLayoutTest, theSplitIsTheShareOfTheRoomTheUserGaveThePagesAtEverySize)
{
    start(ThreeSites());
    dialog->resize(templateSize() + QSize(0, 300));
    const auto panes = [this] {
        const auto *split = dialog->findChild<QSplitter *>(QStringLiteral("listAndPages"));
        return std::pair(split->widget(0)->height(), split->widget(1)->height());
    };
    const auto [list, need] = panes(); // the pages as high as their fields need
    QSplitterHandle *handle = dialog->findChild<QSplitter *>()->handle(1);
    const QPoint grip = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip - QPoint(0, 120));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(0, 120));
    EXPECT_EQ(panes(), std::pair(list - 120, need + 120));

    // 120 of the room `list` at this size, so much more of a larger room.
    const auto pagesBeyondNeed = [&] { return panes().second - need; };
    dialog->resize(templateSize() + QSize(200, 600));
    const double expected = 120.0 * (list + 300) / list;
    EXPECT_NEAR(pagesBeyondNeed(), expected, 1.0);
    dialog->close();
    open();
    EXPECT_EQ(dialog->size(), templateSize() + QSize(200, 600));
    EXPECT_NEAR(pagesBeyondNeed(), expected, 1.0);
    dialog->resize(templateSize() + QSize(0, 300));
    EXPECT_NEAR(pagesBeyondNeed(), 120, 1.0);
}

} // namespace
