// The window by keyboard alone: every command on a key that typing in a field does not need, and
// Tab moving through each page as the eye reads it.
#include "AppTestSupport.h"
#include "LinkCodeBox.h"
#include "PageTab.h"
#include "SiteSearchBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

class KeyboardTest : public WindowTest<ObservedDialog>
{
protected:
    void SetUp() override
    {
        start(ThreeSites());
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }
    QWidget *focused() const { return QApplication::focusWidget(); }
    void press(QKeySequence key) { QTest::keySequence(focused(), key); }
};

TEST_F(KeyboardTest, commandKeysReachTheirOperationAndShowItsPageWithoutTakingTyping)
{
    struct Case
    {
        int from;             // the control that has the focus
        QKeySequence key;
        const char *call;     // the operation reached, or null for none
        int page;             // the page shown afterwards
        const char *typed;    // what the site name field holds afterwards
    };
    const Case cases[] = {
        {ControlId::SiteName, QKeySequence(Qt::CTRL | Qt::Key_N), "RegisterNewSite", 0, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::CTRL | Qt::Key_S), "UpdateSite", 0, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::CTRL | Qt::Key_D), "DeleteSite", 0, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::CTRL | Qt::Key_J), "OnSiteJump", 0, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::CTRL | Qt::Key_G), "GenerateLinkCode", 1, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::Key_F1), "OnClickBanner", 0, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::Key_Delete), nullptr, 0, "a"},
        {ControlId::SiteList, QKeySequence(Qt::Key_Delete), "DeleteSite", 0, "ab"},
        {ControlId::LinkCode, QKeySequence(Qt::CTRL | Qt::Key_N), "RegisterNewSite", 0, "ab"},
        {ControlId::SiteList, QKeySequence(Qt::ALT | Qt::Key_2), nullptr, 1, "ab"},
        {ControlId::SiteList, QKeySequence(Qt::CTRL | Qt::Key_Tab), nullptr, 1, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::CTRL | Qt::Key_PageDown), nullptr, 1, "ab"},
        {ControlId::LinkCode, QKeySequence(Qt::CTRL | Qt::Key_PageUp), nullptr, 0, "ab"},
        {ControlId::LinkCode, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), nullptr, 0, "ab"},
        {ControlId::LinkCode, QKeySequence(Qt::ALT | Qt::Key_1), nullptr, 0, "ab"},
    };
    for (const Case &c : cases) {
        const QString context = c.key.toString() + QStringLiteral(" from ") + QString::number(c.from);
        dialog->calls.clear();
        dialog->SetItemText(ControlId::SiteName, QStringLiteral("ab"));
        QWidget *from = dialog->control(c.from);
        dialog->pageTab()->setCurrentIndex(c.from == ControlId::LinkCode ? 1 : 0);
        from->setFocus();
        if (auto *edit = qobject_cast<QLineEdit *>(from))
            edit->setCursorPosition(1);
        press(c.key);
        const QMap<QString, int> expected = c.call ? QMap<QString, int>{{QString::fromUtf8(c.call), 1}}
                                                   : QMap<QString, int>{};
        EXPECT_EQ(dialog->calls, expected) << qPrintable(context);
        EXPECT_EQ(dialog->pageTab()->currentIndex(), c.page) << qPrintable(context);
        EXPECT_EQ(dialog->ItemText(ControlId::SiteName), QString::fromUtf8(c.typed)) << qPrintable(context);
    }
}

// Tab visits the window's controls, then the shown page's in reading order: the left column
// before the right one, each from top to bottom, a row from left to right.
TEST_F(KeyboardTest, tabMovesThroughEachPageAsTheEyeReadsIt)
{
    for (int page = 0; page < 2; ++page) {
        dialog->pageTab()->setCurrentIndex(page);
        QWidget *pageWidget = dialog->pageTab()->widget(page);
        dialog->siteView()->setFocus();
        std::vector<QWidget *> visited;
        for (int step = 0; step < 20 && (visited.empty() || focused() != dialog->siteView()); ++step) {
            visited.push_back(focused());
            press(QKeySequence(Qt::Key_Tab));
        }
        ASSERT_EQ(focused(), dialog->siteView()) << "Tab never came back to the list, page " << page;
        ASSERT_GE(visited.size(), 6u);
        // The search line comes last, just before the list it searches.
        EXPECT_EQ(visited[visited.size() - 2], static_cast<QWidget *>(dialog->searchBar()->searchBox()));
        EXPECT_EQ(visited.back(), static_cast<QWidget *>(dialog->searchBar()->deadOnlyBox()));
        visited.resize(visited.size() - 2);
        // The window's own controls first: the list, "サイトジャンプ", and the bookmark button beside it.
        constexpr int windowControls = 3;
        EXPECT_EQ(visited[1], dialog->control(ControlId::SiteJump));
        EXPECT_EQ(visited[2]->objectName(), QStringLiteral("bookmarkButton"));
        // A set of exclusive choices is one stop, at the chosen one; arrows move within it.
        int count = 0;
        for (QWidget *widget : pageWidget->findChildren<QWidget *>()) {
            auto *choice = qobject_cast<QRadioButton *>(widget);
            count += widget->isVisibleTo(pageWidget) && widget->focusPolicy() != Qt::NoFocus
                && (!choice || choice->isChecked());
        }
        EXPECT_EQ(int(visited.size()) - windowControls, count) << "page " << page << ": a control Tab never reaches";
        const int split = pageWidget->width() * 3 / 4;
        for (std::size_t i = windowControls + 1; i < visited.size(); ++i) {
            const QRect a = visited[i - 1]->geometry();
            const QRect b = visited[i]->geometry();
            const bool sameColumn = (a.left() < split) == (b.left() < split);
            const bool sameRow = std::abs(a.top() - b.top()) < a.height() / 2;
            const bool follows = sameColumn ? (sameRow ? b.left() > a.left() : b.top() > a.top())
                                            : a.left() < split;
            EXPECT_TRUE(follows) << "page " << page << ": " << qPrintable(visited[i - 1]->objectName()) << " then "
                                 << qPrintable(visited[i]->objectName());
        }
    }
}

// The list shows that it has the focus on its whole current row, as a field shows its cursor; the
// style's own frame, on the first cell alone, is lost in the row's highlight.
TEST_F(KeyboardTest, focusedListFramesItsCurrentRow)
{
    const QModelIndex current = view()->currentIndex();
    const QRect row = view()->visualRect(current.siblingAtColumn(1)).united(view()->visualRect(current.siblingAtColumn(5)));
    auto rowPixels = [&] { return view()->viewport()->grab(row).toImage(); };
    dialog->control(ControlId::SiteName)->setFocus();
    const QImage unfocused = rowPixels();
    view()->setFocus();
    EXPECT_NE(rowPixels(), unfocused);
}

} // namespace
