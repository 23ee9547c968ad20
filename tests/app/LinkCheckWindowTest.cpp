// The link check's window against a local server: which sites it asks, what each row shows,
// stopping, the one-click URL update, the results file; and the main window's side of a move.
#include "AppTestSupport.h"
#include "CodePage.h"
#include "LinkCheckWindow.h"
#include "LocalHttpServer.h"

#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>

namespace {

using Answer = LocalHttpServer::Answer;

class LinkCheckWindowTest : public ::testing::Test
{
protected:
    LinkCheckWindowTest()
    {
        server.setHandler([](const LocalHttpServer::Request &request) {
            if (request.path == "/old") {
                Answer moved(301);
                moved.location = "/new";
                return moved;
            }
            if (request.path == "/gone")
                return Answer(404);
            if (request.path.startsWith("/slow"))
                return Answer(200, 250);
            if (request.path.startsWith("/never"))
                return Answer(0, 0, Answer::Never);
            return Answer(200);
        });
    }

    // Sites with URLs on the local server; "食べ物" is the keyword of the first two.
    SiteList sites(const std::vector<const char *> &paths)
    {
        SiteList list;
        for (const char *path : paths) {
            const QByteArray url = (server.base() + QLatin1String(path)).toLatin1();
            list.push_back(MakeRecord(path, url.constData(), list.size() < 2 ? "食べ物" : "日記"), int(list.size()) * 10 + 1);
        }
        return list;
    }

    std::unique_ptr<LinkCheckWindow> open(const SiteList &list, const char *keyword = "全てのキーワード",
                                          std::vector<std::size_t> selected = {})
    {
        auto window = std::make_unique<LinkCheckWindow>(list, reg.file(LinkResults::kFileName), Sjis(keyword),
                                                        std::move(selected));
        LinkCheckSettings settings;
        settings.timeoutMs = 2000;
        settings.retryDelayMs = 10;
        window->setSettings(settings);
        window->show();
        return window;
    }

    static QTableWidget *table(LinkCheckWindow &window) { return window.findChild<QTableWidget *>(); }
    static QString text(LinkCheckWindow &window, int row, int column)
    {
        QTableWidgetItem *item = table(window)->item(row, column);
        return item ? item->text() : QString();
    }
    static void click(LinkCheckWindow &window, const char *name)
    {
        QTest::mouseClick(window.findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
    }
    // Starts the check and waits for its end.
    static void runToEnd(LinkCheckWindow &window)
    {
        QSignalSpy finished(&window, &LinkCheckWindow::checkFinished);
        click(window, "start");
        ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
    }

    TempRegister reg;
    LocalHttpServer server;
};

TEST_F(LinkCheckWindowTest, aCheckFillsEveryRowInRegisterOrderAndWritesTheResultsFile)
{
    ASSERT_TRUE(server.isListening());
    const SiteList list = sites({"/ok", "/gone", "/old"});
    auto window = open(list);
    runToEnd(*window);

    const std::vector<QStringList> expected = {
        {QStringLiteral("/ok"), QStringLiteral("正常"), QStringLiteral("200"), server.base() + QStringLiteral("/ok")},
        {QStringLiteral("/gone"), QStringLiteral("リンク切れ"), QStringLiteral("404"), server.base() + QStringLiteral("/gone")},
        {QStringLiteral("/old"), QStringLiteral("移転"), QStringLiteral("200"), server.base() + QStringLiteral("/new")},
    };
    ASSERT_EQ(table(*window)->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        const QStringList shown = {text(*window, row, 0), text(*window, row, 2), text(*window, row, 3), text(*window, row, 4)};
        EXPECT_EQ(shown, expected[std::size_t(row)]) << row;
    }
    if (qEnvironmentVariableIsSet("SITEKANRI_SCREENSHOT"))
        window->grab().save(qEnvironmentVariable("SITEKANRI_SCREENSHOT"));

    LinkResults saved;
    ASSERT_TRUE(saved.load(reg.file(LinkResults::kFileName)));
    ASSERT_EQ(saved.size(), 3);
    EXPECT_EQ(saved.find(list.at(1).m_url)->result.status, LinkStatus::Gone);
    EXPECT_EQ(saved.find(list.at(2).m_url)->result.movedTo, server.base() + QStringLiteral("/new"));
}

TEST_F(LinkCheckWindowTest, theChoiceOfSitesDecidesWhichAreAsked)
{
    const SiteList list = sites({"/a", "/b", "/c", "/d"});
    struct Row
    {
        const char *choice; // the radio button's leading text
        const char *names; // space-separated
    };
    const Row rows[] = {
        {"すべて", "/a /b /c /d"},
        {"キーワード", "/a /b"},
        {"選択した行", "/b /d"},
    };
    for (const Row &row : rows) {
        auto window = open(list, "食べ物", {1, 3});
        for (QRadioButton *choice : window->findChildren<QRadioButton *>()) {
            if (choice->text().startsWith(QString::fromUtf8(row.choice)))
                choice->click();
        }
        const std::size_t before = server.log().size();
        runToEnd(*window);
        QStringList asked;
        for (std::size_t i = before; i < server.log().size(); ++i)
            asked << QString::fromLatin1(server.log()[i].path);
        asked.sort();
        const QStringList names = QString::fromLatin1(row.names).split(QLatin1Char(' '));
        EXPECT_EQ(asked, names) << row.choice;
        EXPECT_EQ(table(*window)->rowCount(), names.size()) << row.choice;
    }
}

TEST_F(LinkCheckWindowTest, stopEndsTheCheckAtOnceAndNoResultFollows)
{
    const SiteList list = sites({"/ok", "/slow1", "/slow2", "/slow3"});
    auto window = open(list);
    QSignalSpy finished(window.get(), &LinkCheckWindow::checkFinished);
    click(*window, "start");
    // One host takes two requests at a time: the first answer, then two that come late.
    ASSERT_TRUE(QTest::qWaitFor([&] { return text(*window, 0, 2) == QStringLiteral("正常") && server.inFlight() == 2; }, 5000));
    click(*window, "cancel");
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(window->isChecking());
    QTest::qWait(500);
    EXPECT_EQ(finished.count(), 1);
    for (int row = 1; row < 4; ++row)
        EXPECT_EQ(text(*window, row, 2), QStringLiteral("中止")) << row;
    // What was answered before the stop is kept.
    LinkResults saved;
    ASSERT_TRUE(saved.load(reg.file(LinkResults::kFileName)));
    EXPECT_EQ(saved.size(), 1);
}

TEST_F(LinkCheckWindowTest, closingTheWindowStopsTheCheck)
{
    auto window = open(sites({"/never"}));
    QSignalSpy finished(window.get(), &LinkCheckWindow::checkFinished);
    click(*window, "start");
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.inFlight() == 1; }, 5000));
    window->close();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(window->isChecking());
}

TEST_F(LinkCheckWindowTest, theUpdateOfAMoveAsksForTheFinalUrlOnce)
{
    const SiteList list = sites({"/ok", "/old"});
    auto window = open(list);
    runToEnd(*window);
    EXPECT_EQ(table(*window)->cellWidget(0, 5), nullptr);
    auto *update = qobject_cast<QPushButton *>(table(*window)->cellWidget(1, 5));
    ASSERT_NE(update, nullptr);
    QSignalSpy requested(window.get(), &LinkCheckWindow::urlUpdateRequested);
    QTest::mouseClick(update, Qt::LeftButton);
    QTest::mouseClick(update, Qt::LeftButton);
    ASSERT_EQ(requested.count(), 1);
    EXPECT_EQ(requested[0][0].toInt(), 11);
    EXPECT_EQ(requested[0][1].toByteArray(), list.at(1).m_url);
    EXPECT_EQ(requested[0][2].toByteArray(), (server.base() + QStringLiteral("/new")).toLatin1());
}

class LinkMoveTest : public WindowTest<MainDialog>
{
};

// The main window takes a move only for a site that still holds the URL that was checked.
TEST_F(LinkMoveTest, aMoveChangesTheSiteThatStillHoldsTheCheckedUrl)
{
    start(ThreeSites());
    const QByteArray newUrl = "https://abc.example.jp/new/";
    const int number = dialog->m_store.m_sites.number(1);
    dialog->OnLinkMoved(number, "http://elsewhere.example.jp/", newUrl);
    EXPECT_EQ(dialog->m_store.m_sites.at(1).m_url, "http://abc.example.jp/");
    ASSERT_EQ(boxes.shown.size(), 1u);
    dialog->OnLinkMoved(number, "http://abc.example.jp/", newUrl);
    EXPECT_EQ(dialog->m_store.m_sites.at(1).m_url, newUrl);
    EXPECT_EQ(cell(1, 1), QString::fromLatin1(newUrl));
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(LinkMoveTest, ctrlLOpensOneCheckWindow)
{
    start(ThreeSites());
    QTest::keyClick(dialog.get(), Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(dialog.get(), Qt::Key_L, Qt::ControlModifier);
    const QList<LinkCheckWindow *> windows = dialog->findChildren<LinkCheckWindow *>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(windows.first()->isVisible());
}

} // namespace
