// "サイトジャンプ" and the banner of the real window, with a recording stand-in for the browser.
// How each address is completed or refused is proved in the browser tests.
#include "AppTestSupport.h"
#include "DialogTemplate.h"
#include "HomePage.h"
#include "RecordingUrlHandler.h"


namespace {

class SiteJumpTest : public WindowTest<MainDialog>
{
protected:
    RecordingUrlHandler browser;
};

TEST_F(SiteJumpTest, opensTheCurrentRowOncePerPressAndNothingForAnEmptyList)
{
    start({});
    click(ControlId::SiteJump);
    EXPECT_TRUE(browser.requests.empty());

    start({MakeRecord("一", "http://one.example.jp/"), MakeRecord("二", "https://two.example.jp/a?b=c")});
    click(ControlId::SiteJump);
    click(ControlId::SiteJump);
    clickRow(0);
    click(ControlId::SiteJump);
    const QUrl two(QStringLiteral("https://two.example.jp/a?b=c"));
    EXPECT_EQ(browser.requests, (std::vector<QUrl>{two, two, QUrl(QStringLiteral("http://one.example.jp/"))}));
    EXPECT_TRUE(boxes.shown.empty());
}

// What the browser is handed is the launcher's business; here, that its refusal is shown.
TEST_F(SiteJumpTest, aSiteWithoutUrlOpensNothingAndSaysSo)
{
    start({MakeRecord("前", "http://before.example.jp/"), MakeRecord("サイト", "")});
    click(ControlId::SiteJump);
    EXPECT_TRUE(browser.requests.empty());
    EXPECT_EQ(boxes.shown, std::vector{Message("URLが登録されていません。")});
}

TEST_F(SiteJumpTest, theBannerOpensTheHelpPageThatShipsWithTheProgram)
{
    start({MakeRecord("一", "http://one.example.jp/")});
    click(ControlId::Banner);
    ASSERT_EQ(browser.requests.size(), 1u);
    EXPECT_EQ(browser.requests[0], HomePageUrl()); // a page beside the program: the home page's test
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
