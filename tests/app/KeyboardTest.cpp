// The window by keyboard alone: every command on a key that typing in a field does not need, and
// Tab moving through each page as the eye reads it; and by a screen reader: every control named.
#include "AppTestSupport.h"
#include "HomePage.h"
#include "RecordingUrlHandler.h"
#include "LinkCodeBox.h"

#include <QAccessible>
#include <QCheckBox>
#include <QRadioButton>

namespace {

class KeyboardTest : public WindowTest
{
protected:
    void SetUp() override
    {
        start(ThreeSites());
        activate();
    }
    QWidget *focused() const { return QApplication::focusWidget(); }
    void press(QKeySequence key) { QTest::keySequence(focused(), key); }
};

// Each command key reaches its operation, seen by what the operation does: the question it asks
// (answered No), the URL it hands the browser, the code it writes.
TEST_F(KeyboardTest, commandKeysReachTheirOperationAndShowItsPageWithoutTakingTyping)
{
    RecordingUrlHandler browser;
    const QString help = HomePageUrl().toString();
    const struct
    {
        int from; // the control that has the focus
        QKeySequence key;
        QString did; // what the operation did, or empty for nothing
        int page; // the page shown afterwards
        const char *typed; // what the site name field holds afterwards
    } cases[] = {
        {ControlId::SiteName, QKeySequence(Qt::CTRL | Qt::Key_Return), QString::fromUtf8("このURLのサイトは既に登録されています"), 0, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::CTRL | Qt::Key_S), QString::fromUtf8("わたしのリンクを変更しても"), 0, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::CTRL | Qt::Key_D), QString::fromUtf8("わたしのリンクを削除しても"), 0, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::CTRL | Qt::Key_J), QStringLiteral("https://link.example.jp/"), 0, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::CTRL | Qt::Key_G), QStringLiteral("code"), 1, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::Key_F1), help, 0, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::Key_Delete), {}, 0, "a"},
        {ControlId::SiteList, QKeySequence(Qt::Key_Delete), QString::fromUtf8("わたしのリンクを削除しても"), 0, "ab"},
        {ControlId::LinkCode, QKeySequence(Qt::CTRL | Qt::Key_Return), QString::fromUtf8("このURLのサイトは既に登録されています"), 0, "ab"},
        {ControlId::SiteList, QKeySequence(Qt::ALT | Qt::Key_2), {}, 1, "ab"},
        {ControlId::SiteList, QKeySequence(Qt::CTRL | Qt::Key_Tab), {}, 1, "ab"},
        {ControlId::SiteName, QKeySequence(Qt::CTRL | Qt::Key_PageDown), {}, 1, "ab"},
        {ControlId::LinkCode, QKeySequence(Qt::CTRL | Qt::Key_PageUp), {}, 0, "ab"},
        {ControlId::LinkCode, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), {}, 0, "ab"},
        {ControlId::LinkCode, QKeySequence(Qt::ALT | Qt::Key_1), {}, 0, "ab"},
        // 新規 last: it leaves no site for 更新 and 削除 to act on.
        {ControlId::SiteName, QKeySequence(Qt::CTRL | Qt::Key_N), {}, 0, ""},
    };
    auto *code = dialog->control<LinkCodeBox>(ControlId::LinkCode);
    for (const auto &c : cases) {
        SCOPED_TRACE((c.key.toString() + QStringLiteral(" from ") + QString::number(c.from)).toStdString());
        boxes.shown.clear();
        browser.requests.clear();
        code->setLinkCode(QString());
        if (c.did.endsWith(QString::fromUtf8("しても")) || c.did.endsWith(QString::fromUtf8("います")))
            boxes.answers = {MessageBoxes::Answer::No};
        dialog->SetItemText(ControlId::SiteName, QStringLiteral("ab"));
        QWidget *from = dialog->control(c.from);
        dialog->pageTab()->setCurrentIndex(c.from == ControlId::LinkCode ? 1 : 0);
        from->setFocus();
        if (auto *edit = qobject_cast<QLineEdit *>(from))
            edit->setCursorPosition(1);
        press(c.key);
        QStringList did;
        for (const RecordingMessageBoxes::Shown &shown : boxes.shown)
            did << shown.text;
        for (const QUrl &url : browser.requests)
            did << url.toString();
        if (!code->linkCode().isEmpty())
            did << QStringLiteral("code");
        EXPECT_TRUE(did.size() == (c.did.isEmpty() ? 0 : 1) && did.join(u'|').startsWith(c.did)) << did.join(u'|').toStdString();
        EXPECT_EQ(dialog->pageTab()->currentIndex(), c.page);
        EXPECT_EQ(dialog->ItemText(ControlId::SiteName), QString::fromUtf8(c.typed));
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
            // In the page's coordinates: the code box and its preview stand in a splitter.
            const QRect a(visited[i - 1]->mapTo(pageWidget, QPoint()), visited[i - 1]->size());
            const QRect b(visited[i]->mapTo(pageWidget, QPoint()), visited[i]->size());
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

// What a screen reader announces of each control of the window and both pages: a name. Frames
// around others (a stacked pane, a viewport, scroll bars) announce nothing and take no focus.
TEST_F(KeyboardTest, everyControlOfTheWindowAndBothPagesHasAName)
{
    int named = 0;
    for (QWidget *widget : dialog->findChildren<QWidget *>()) {
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(widget);
        const QAccessible::Role role = node->role();
        if (widget->isHidden() || (widget->focusPolicy() == Qt::NoFocus && (role == QAccessible::Client
                || role == QAccessible::LayeredPane || role == QAccessible::ScrollBar)))
            continue;
        EXPECT_FALSE(node->text(QAccessible::Name).isEmpty()) << "nameless: " << widget->metaObject()->className() << " "
                                                            << qPrintable(widget->objectName());
        ++named;
    }
    EXPECT_GE(named, 30);
}

} // namespace
