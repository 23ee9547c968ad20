// The link check's window against a local server: which sites it asks, what each row shows,
// stopping, the one-click URL update, the results file; and the main window's side of a move.
#include "AppTestSupport.h"
#include "HostLookup.h"
#include "LinkCheckWindow.h"
#include "LocalHttpServer.h"
#include "SiteTableModel.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QScopeGuard>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTcpServer>

namespace {

class LinkCheckWindowTest : public ::testing::Test
{
protected:
    // The server answers "/404" with 404, "/500" with 500, "/301" with a move to "/new", "/late…"
    // after 250 ms, anything else with 200.
    LinkCheckWindowTest()
    {
        server.setHandler([](const LocalHttpServer::Request &r) {
            LocalHttpServer::Answer answer(r.path == "/404" ? 404 : r.path == "/500" ? 500 : r.path == "/301" ? 301 : 200,
                                           r.path.startsWith("/late") ? 250 : 0);
            answer.location = r.path == "/301" ? "/new" : "";
            return answer;
        });
    }

    // A window over new sites named by their paths, "/a /b" (numbers 1, 11, 21, …; "食べ物" for
    // the first two).
    void open(const char *paths, const char *keyword = "全てのキーワード", std::vector<std::size_t> selected = {})
    {
        sites.clear();
        for (const QString &path : QString::fromLatin1(paths).split(u' ')) {
            const QByteArray url = (server.base() + path).toLatin1();
            sites.push_back(MakeRecord(path.toLatin1().constData(), url.constData(), sites.size() < 2 ? "食べ物" : ""),
                            int(sites.size()) * 10 + 1);
        }
        reopen(keyword, std::move(selected));
    }
    // A new window over the same sites.
    void reopen(const char *keyword = "全てのキーワード", std::vector<std::size_t> selected = {})
    {
        window = std::make_unique<LinkCheckWindow>(sites, reg.file(LinkResults::kFileName), Sjis(keyword),
                                                   std::move(selected));
        window->show();
    }
    QTableWidget *table() const { return window->findChild<QTableWidget *>(); }
    QString progress() const { return window->findChild<QProgressBar *>()->text(); }
    // The rows in sight, top to bottom, the texts of `columns` (name and status unless told):
    // "name status|name status|…".
    QString shown(std::vector<int> columns = {0, 2}) const
    {
        QStringList rows;
        for (int row = 0; row < table()->rowCount(); ++row) {
            QStringList cells;
            for (int column : columns)
                cells << text(row, column);
            if (!table()->isRowHidden(row))
                rows << cells.join(u' ');
        }
        return rows.join(u'|');
    }
    QString text(int row, int column) const { return table()->model()->index(row, column).data().toString(); }
    void click(const char *name)
    {
        QTest::mouseClick(window->findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
    }
    void runToEnd()
    {
        QSignalSpy finished(window.get(), &LinkCheckWindow::checkFinished);
        click("start");
        ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
    }
    qsizetype savedCount() const
    {
        LinkResults saved;
        return saved.load(reg.file(LinkResults::kFileName)) ? saved.size() : -1;
    }
    QString summary() const { return window->findChild<QLabel *>(QStringLiteral("summary"))->text(); }

    TempRegister reg;
    LocalHttpServer server;
    SiteList sites;
    std::unique_ptr<LinkCheckWindow> window;
};

TEST_F(LinkCheckWindowTest, theChoiceOfSitesDecidesWhichAreAsked)
{
    // The radio button's leading text, and the sites asked.
    for (auto [choice, asked] : {std::pair{"すべて", "/a /b /c /d"}, {"キーワード", "/a /b"}, {"選択した行", "/b /d"}}) {
        open("/a /b /c /d", "食べ物", {1, 3});
        for (QRadioButton *button : window->findChildren<QRadioButton *>())
            button->setChecked(button->text().startsWith(QString::fromUtf8(choice)));
        runToEnd();
        QStringList answered;
        for (int i = 0; !text(i, 3).isEmpty(); ++i)
            answered << text(i, 0);
        EXPECT_EQ(answered.join(QLatin1Char(' ')), QString::fromLatin1(asked)) << choice;
    }
}

// Several rows chosen are the sites meant, one is only the current row; Shift+Tab from 開始 goes to
// the choice above it and Tab back.
TEST_F(LinkCheckWindowTest, opensOnTheChosenRowsWhenSeveralAreChosenAndTabFollowsTheEye)
{
    for (auto [selected, checked] : {std::pair{std::vector<std::size_t>{}, "すべて"}, {{2}, "すべて"}, {{1, 3}, "選択した行"}}) {
        open("/a /b /c /d", "全てのキーワード", selected);
        QString on;
        for (QRadioButton *button : window->findChildren<QRadioButton *>())
            on += button->isChecked() ? button->text() : QString();
        EXPECT_TRUE(on.startsWith(QString::fromUtf8(checked))) << on.toStdString() << " with " << selected.size() << " chosen";
    }
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto *start = window->findChild<QPushButton *>(QStringLiteral("start"));
    start->setFocus();
    QTest::keyClick(start, Qt::Key_Backtab, Qt::ShiftModifier);
    auto *choice = qobject_cast<QRadioButton *>(QApplication::focusWidget());
    ASSERT_TRUE(choice) << QApplication::focusWidget()->metaObject()->className();
    EXPECT_TRUE(choice->isChecked()) << choice->text().toStdString();
    QTest::keyClick(choice, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), start);
}

// Stopping by 中止 or by closing the window: no answer shows after it, what came before is kept.
TEST_F(LinkCheckWindowTest, stoppingEndsTheCheckAtOnce)
{
    for (bool byClosing : {false, true}) {
        open("/200 /late1 /late2");
        QSignalSpy finished(window.get(), &LinkCheckWindow::checkFinished);
        click("start");
        // One host takes two requests at a time: the first answer, then two that come late.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !text(0, 3).isEmpty() && server.inFlight() == 2; }, 5000));
        if (byClosing)
            window->close();
        else
            click("cancel");
        EXPECT_EQ(finished.count(), 1);
        // The late answers are sent, or their connections closed, before anything is looked at.
        EXPECT_TRUE(QTest::qWaitFor([&] { return server.inFlight() == 0 && server.openConnections() == 0; }, 5000));
        EXPECT_EQ(text(1, 2) + text(2, 2), QStringLiteral("中止中止")) << byClosing;
        EXPECT_EQ(savedCount(), 1);
    }
}

// A check fills every row in the register's order and writes the results file; the window opens
// again on those answers, moves offered again; the count is true before the first answer comes.
TEST_F(LinkCheckWindowTest, aCheckFillsEveryRowAndTheReopenedWindowShowsItsResults)
{
    open("/200 /404 /301 /500");
    EXPECT_EQ(progress(), QStringLiteral("まだ確認していません"));
    runToEnd();
    // Name, status, code, final URL.
    EXPECT_EQ(shown({0, 2, 3, 4}), QStringLiteral("/200 正常 200 {base}/200|/404 リンク切れ 404 {base}/404|/301 移転 200 {base}/new|"
                                                  "/500 サーバーエラー 500 {base}/500")
                                       .replace(QStringLiteral("{base}"), server.base()));
    EXPECT_EQ(summary(), QStringLiteral("4件を確認しました（リンク切れ 1件、移転 1件、警告 1件）。"));
    EXPECT_EQ(savedCount(), 4);
    // The update of a move asks for the final URL, once.
    auto *update = qobject_cast<QPushButton *>(table()->cellWidget(2, 5));
    ASSERT_NE(update, nullptr);
    QSignalSpy requested(window.get(), &LinkCheckWindow::urlUpdateRequested);
    QTest::mouseClick(update, Qt::LeftButton);
    QTest::mouseClick(update, Qt::LeftButton);
    ASSERT_EQ(requested.count(), 1);
    EXPECT_EQ(requested[0], (QVariantList{21, sites.at(2).GetUrl(), (server.base() + QStringLiteral("/new")).toLatin1()}));

    reopen();
    EXPECT_EQ(shown(), QStringLiteral("/200 正常|/404 リンク切れ|/301 移転|/500 サーバーエラー"));
    update = qobject_cast<QPushButton *>(table()->cellWidget(2, 5));
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->text(), QStringLiteral("URLを更新"));
    EXPECT_EQ(progress(), QStringLiteral("前回の結果 4 件"));

    open("/late1 /late2 /late3");
    click("start");
    EXPECT_EQ(progress(), QStringLiteral("0 / 3 件"));
    EXPECT_EQ(text(0, 2), QStringLiteral("確認待ち"));
}

// A status sorts the worst first; 問題のみ leaves the sites that need a look, answers that come
// later included; a third click gives the register's order again.
TEST_F(LinkCheckWindowTest, columnsSortAndProblemsOnlyLeavesTheSitesThatNeedALook)
{
    open("/200 /301 /404 /late");
    window->findChild<QCheckBox *>()->setChecked(true);
    ClickHeader(table()->horizontalHeader(), 2);
    runToEnd();
    EXPECT_EQ(shown(), QStringLiteral("/404 リンク切れ|/301 移転"));
    window->findChild<QCheckBox *>()->setChecked(false);
    EXPECT_EQ(shown(), QStringLiteral("/404 リンク切れ|/301 移転|/200 正常|/late 正常"));
    ClickHeader(table()->horizontalHeader(), 2);
    EXPECT_TRUE(shown().startsWith(QStringLiteral("/200 正常|"))) << shown().toStdString();
    ClickHeader(table()->horizontalHeader(), 2);
    EXPECT_EQ(shown(), QStringLiteral("/200 正常|/301 移転|/404 リンク切れ|/late 正常"));
    EXPECT_EQ(table()->horizontalHeader()->sortIndicatorSection(), -1);
}

// Without a network no site is marked and nothing is stored: the rows say they were not checked, and
// the window says once why. Here the resolver answers "no such name" to every name, as many offline
// networks do; the run tells a proxy out of reach, or no resolver at all, the same way.
TEST_F(LinkCheckWindowTest, withoutNetworkNoSiteIsMarkedAndTheWindowSaysSoOnce)
{
    static bool online = true;
    HostLookup::testResolver = [](const QString &) {
        return HostLookupResult{online ? HostLookupResult::Outcome::Found : HostLookupResult::Outcome::NoSuchName,
                                {QHostAddress(QHostAddress::LocalHost)}, {}};
    };
    const auto unhook = qScopeGuard([] { HostLookup::testResolver = nullptr, online = true; });
    open("/200 /404");
    for (std::size_t i = 0; i < sites.size(); ++i)
        sites.at(i).SetUrl(sites.at(i).GetUrl().replace("127.0.0.1", "sites.test"));
    reopen();
    runToEnd();
    const QByteArray before = reg.read(LinkResults::kFileName);
    online = false;
    runToEnd();
    EXPECT_EQ(shown(), QStringLiteral("/200 未確認|/404 未確認"));
    EXPECT_EQ(reg.read(LinkResults::kFileName), before);
    EXPECT_EQ(summary().count(QStringLiteral("ネットワークに接続できません")), 1) << summary().toStdString();
}

using LinkMoveTest = WindowTest;
// The main window takes a move only for a site that still holds the URL that was checked; one taken
// is a step of the window's history: Ctrl+Z in the check window takes it back.
TEST_F(LinkMoveTest, aMoveChangesOnlyTheSiteThatStillHoldsTheCheckedUrlAndCtrlZThereTakesItBack)
{
    start(ThreeSites());
    dialog->findChild<QAction *>(QStringLiteral("checkLinksAction"))->trigger();
    auto *checkWindow = dialog->findChild<LinkCheckWindow *>();
    ASSERT_NE(checkWindow, nullptr);
    const int number = dialog->sites().number(1);
    emit checkWindow->urlUpdateRequested(number, "http://elsewhere.example.jp/", "https://abc.example.jp/new/");
    EXPECT_EQ(ReadRegister(reg.path()).at(1).GetUrl(), QByteArray("http://abc.example.jp/"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    emit checkWindow->urlUpdateRequested(number, "http://abc.example.jp/", "https://abc.example.jp/new/");
    ASSERT_EQ(ReadRegister(reg.path()).at(1).GetUrl(), "https://abc.example.jp/new/"); // an ordinary update: on disk at once
    QApplication::setActiveWindow(checkWindow);
    ASSERT_TRUE(QTest::qWaitForWindowActive(checkWindow));
    QTest::keyClick(checkWindow, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ReadRegister(reg.path()).at(1).GetUrl(), QByteArray("http://abc.example.jp/"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("http://abc.example.jp/"));
}

} // namespace

namespace {

// A check another program runs (sitekanri-cli check here; a sync tool bringing the other
// computer's results alike) reaches the open window as its results file is written: the dot of
// each row, and リンク切れのみ.
TEST_F(LinkMoveTest, resultsAnotherProgramWritesReachTheOpenWindow)
{
    LocalHttpServer server;
    server.setHandler([](const LocalHttpServer::Request &r) { return LocalHttpServer::Answer(r.path == "/404" ? 404 : 200); });
    const QByteArray alive = (server.base() + QStringLiteral("/200")).toLatin1(), dead = (server.base() + QStringLiteral("/404")).toLatin1();
    start({MakeRecord("alive", alive.constData()), MakeRecord("dead", dead.constData())});
    dialog->searchBar()->deadOnlyBox()->setChecked(true);
    EXPECT_EQ(rowCount(), 0);
    QProcess check;
    check.start(QStringLiteral(SITEKANRI_CLI), {QStringLiteral("--dir"), reg.path(), QStringLiteral("check")});
    // The event loop turns meanwhile: the server answers, the window's watcher sees the file.
    EXPECT_TRUE(QTest::qWaitFor([this] { return rowCount() == 1; }, 20000));
    EXPECT_TRUE(check.state() == QProcess::NotRunning || check.waitForFinished(20000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().toStdString();
    EXPECT_EQ(column(), QStringLiteral("dead"));
    EXPECT_EQ(dialog->searchBar()->countText(), QStringLiteral("1 / 2 件"));
    dialog->searchBar()->deadOnlyBox()->setChecked(false);
    EXPECT_EQ(view()->model()->index(0, 0).data(SiteTableModel::LinkHealthRole).toInt(), int(LinkVerdict::Ok));
    EXPECT_EQ(view()->model()->index(1, 0).data(SiteTableModel::LinkHealthRole).toInt(), int(LinkVerdict::Dead));
}

} // namespace
