// "サイトジャンプ" and the banner of the real window, with a recording stand-in for the browser.
// How each address is completed or refused is proved in the browser tests.
#include "AppTestSupport.h"
#include "DialogTemplate.h"
#include "HomePage.h"
#include "RecordingUrlHandler.h"

namespace {

using SiteJumpTest = WindowTest;

// Once per press, the current row's site; nothing for an empty list; the banner opens the help
// page beside the program (which page that is, is the home page's test).
TEST_F(SiteJumpTest, opensTheCurrentRowOncePerPressAndTheBannerTheHelpPage)
{
    RecordingUrlHandler browser;
    start({});
    click(ControlId::SiteJump);
    EXPECT_TRUE(browser.requests.empty());

    start({MakeRecord("一", "http://one.example.jp/"), MakeRecord("二", "https://two.example.jp/a?b=c")});
    click(ControlId::SiteJump);
    click(ControlId::SiteJump);
    clickRow(0);
    click(ControlId::SiteJump);
    click(ControlId::Banner);
    const QUrl two(QStringLiteral("https://two.example.jp/a?b=c"));
    EXPECT_EQ(browser.requests, (std::vector<QUrl>{two, two, QUrl(QStringLiteral("http://one.example.jp/")), HomePageUrl()}));
    EXPECT_TRUE(boxes.shown.empty());

    // What the launcher refuses opens nothing, and the window says why.
    start({MakeRecord("前", "http://before.example.jp/"), MakeRecord("サイト", "")});
    browser.requests.clear();
    click(ControlId::SiteJump);
    EXPECT_TRUE(browser.requests.empty());
    EXPECT_EQ(boxes.shown, std::vector{Message("URLが登録されていません。")});
}

} // namespace
