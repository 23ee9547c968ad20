// "サイトジャンプ" and the banner of the real window, with a recording stand-in for the browser.
#include "AppTestSupport.h"
#include "CaseName.h"
#include "DialogTemplate.h"
#include "HomePage.h"
#include "RecordingUrlHandler.h"

#include <QFileInfo>

namespace {

class SiteJumpTest : public WindowTest<MainDialog>
{
protected:
    RecordingUrlHandler browser;
};

TEST_F(SiteJumpTest, anEmptyListOpensNothing)
{
    start({});
    click(ControlId::SiteJump);
    EXPECT_TRUE(browser.requests.empty());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SiteJumpTest, opensTheCurrentRowOncePerPress)
{
    start({MakeRecord("一", "http://one.example.jp/"), MakeRecord("二", "https://two.example.jp/a?b=c")});
    click(ControlId::SiteJump);
    click(ControlId::SiteJump);
    clickRow(0);
    click(ControlId::SiteJump);
    EXPECT_EQ(browser.requests, (std::vector<QUrl>{QUrl(QStringLiteral("https://two.example.jp/a?b=c")),
                                                   QUrl(QStringLiteral("https://two.example.jp/a?b=c")),
                                                   QUrl(QStringLiteral("http://one.example.jp/"))}));
    EXPECT_TRUE(boxes.shown.empty());
}

struct UrlCase
{
    const char *name;
    const char *stored;
    const char *opened;  // as the browser gets it, or "" for nothing
    const char *message; // shown instead, or ""
};
void PrintTo(const UrlCase &c, std::ostream *out) { *out << c.name; }

class StoredUrl : public SiteJumpTest, public ::testing::WithParamInterface<UrlCase> {};

TEST_P(StoredUrl, reachesTheBrowserAsTheUserWroteIt)
{
    start({MakeRecord("前", "http://before.example.jp/"), MakeRecord("サイト", GetParam().stored)});
    click(ControlId::SiteJump);
    if (*GetParam().opened) {
        ASSERT_EQ(browser.requests.size(), 1u);
        EXPECT_EQ(browser.requests[0].toString(), QString::fromUtf8(GetParam().opened));
        EXPECT_TRUE(boxes.shown.empty());
    } else {
        EXPECT_TRUE(browser.requests.empty());
    }
    if (*GetParam().message) {
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].title, QString::fromUtf8("サイト管理[ヴァントレル]"));
        EXPECT_EQ(boxes.shown[0].text, QString::fromUtf8(GetParam().message));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Urls, StoredUrl,
    ::testing::Values(
        UrlCase{"japanese", "http://example.jp/日本語/ページ?q=検索", "http://example.jp/日本語/ページ?q=検索", ""},
        UrlCase{"no_scheme", "www.example.jp/top.html", "http://www.example.jp/top.html", ""},
        UrlCase{"empty", "", "", "URLが登録されていません。"},
        UrlCase{"blanks", "   ", "", "URLが登録されていません。"}),
    CaseName());

TEST_F(SiteJumpTest, theBannerOpensTheHelpPageThatShipsWithTheProgram)
{
    start({MakeRecord("一", "http://one.example.jp/")});
    click(ControlId::Banner);
    ASSERT_EQ(browser.requests.size(), 1u);
    const QUrl page = browser.requests[0];
    EXPECT_EQ(page, HomePageUrl());
    ASSERT_TRUE(page.isLocalFile()) << page.toString().toStdString();
    EXPECT_TRUE(QFileInfo(page.toLocalFile()).isFile()) << page.toLocalFile().toStdString();
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
