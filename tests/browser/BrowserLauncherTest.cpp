#include "BrowserLauncher.h"
#include "CaseName.h"
#include "RecordingUrlHandler.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

const QString kNoUrl = QStringLiteral("URLが登録されていません。");
const QString kRefused = QStringLiteral("ブラウザを起動できませんでした。");

// Every part of the URL decoded, the host from its ACE form too, so that a comparison with the
// text the user registered fails on any character that was decoded wrongly on the way.
QString Readable(const QUrl &url)
{
    QString out = url.scheme() + QStringLiteral("://")
                  + QUrl::fromAce(url.host(QUrl::FullyEncoded).toLatin1(), QUrl::IgnoreIDNWhitelist)
                  + url.path(QUrl::FullyDecoded);
    if (url.hasQuery())
        out += QLatin1Char('?') + url.query(QUrl::FullyDecoded);
    if (url.hasFragment())
        out += QLatin1Char('#') + url.fragment(QUrl::FullyDecoded);
    return out;
}

struct HandOverCase
{
    const char *name;
    QByteArray url; // register bytes
    const char *arrives; // UTF-8, as Readable() shows it
};
void PrintTo(const HandOverCase &c, std::ostream *out) { *out << c.name; }

class BrowserHandOverTest : public ::testing::TestWithParam<HandOverCase>
{
};

TEST_P(BrowserHandOverTest, arrivesCharacterForCharacter)
{
    const HandOverCase &c = GetParam();
    RecordingUrlHandler browser;
    const BrowserResult result = BrowserLauncher().open(c.url);

    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.message, QString());
    ASSERT_EQ(browser.requests.size(), 1u);
    EXPECT_TRUE(browser.requests[0].isValid());
    EXPECT_EQ(Readable(browser.requests[0]), QString::fromUtf8(c.arrives));
}

INSTANTIATE_TEST_SUITE_P(
    Urls, BrowserHandOverTest,
    ::testing::Values(
        HandOverCase{"japanese host path and query", Sjis("http://例え.テスト/パス?q=日本語"),
                     "http://例え.テスト/パス?q=日本語"},
        // Written as raw bytes: 0x8160 is U+FF5E in CP932 but U+301C in plain Shift-JIS, 0x8740 is
        // an NEC extension, 0xB6.. are half-width katakana.
        HandOverCase{"cp932 only characters", QByteArray("https://www.example.jp/\x81\x60\x87\x40?k=\xB6\xC0\xB6\xC5"),
                     "https://www.example.jp/～①?k=ｶﾀｶﾅ"},
        HandOverCase{"no scheme", QByteArray("www.example.jp/a"), "http://www.example.jp/a"},
        HandOverCase{"no scheme japanese", Sjis("例え.jp/日記#今日"), "http://例え.jp/日記#今日"},
        HandOverCase{"blanks around", QByteArray("  https://www.example.jp/x y  "), "https://www.example.jp/x y"},
        HandOverCase{"local path", Sjis("/tmp/サイト管理/a b.html"), "file:///tmp/サイト管理/a b.html"},
        HandOverCase{"encoded file url", QByteArray("file:///tmp/%E4%BE%8B/index.html"), "file:///tmp/例/index.html"}),
    CaseName());

struct RefusalCase
{
    const char *name;
    QByteArray url;
    QString message;
};
void PrintTo(const RefusalCase &c, std::ostream *out) { *out << c.name; }

class BrowserRefusalTest : public ::testing::TestWithParam<RefusalCase>
{
};

// A handler is registered for http, so these would reach it if the launcher did not check:
// QDesktopServices hands even an invalid URL to a handler.
TEST_P(BrowserRefusalTest, opensNothingAndSaysWhy)
{
    const RefusalCase &c = GetParam();
    RecordingUrlHandler browser;
    const BrowserResult result = BrowserLauncher().open(c.url);

    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.message, c.message);
    EXPECT_TRUE(browser.requests.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Urls, BrowserRefusalTest,
    ::testing::Values(
        RefusalCase{"empty", QByteArray(), kNoUrl},
        RefusalCase{"blanks only", QByteArray(" \t "), kNoUrl},
        // QUrl::fromUserInput alone would open "http://http//exa mple.jp".
        RefusalCase{"space in host", QByteArray("http://exa mple.jp/"),
                    kRefused + QStringLiteral("\nhttp://exa mple.jp/")},
        RefusalCase{"unclosed address", Sjis("http://[::1/日本"), kRefused + QStringLiteral("\nhttp://[::1/日本")},
        RefusalCase{"nothing to complete", Sjis("ア イ"), kRefused + QStringLiteral("\nア イ")}),
    CaseName());

TEST(BrowserLauncherTest, refusedHandOver_givesMessageWithUrl)
{
    std::vector<QUrl> offered;
    const BrowserLauncher launcher([&offered](const QUrl &url) {
        offered.push_back(url);
        return false;
    });
    const BrowserResult result = launcher.open(Sjis("www.例え.jp/"));

    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.message, kRefused + QStringLiteral("\nwww.例え.jp/"));
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(Readable(offered[0]), QStringLiteral("http://www.例え.jp/"));
}

TEST(BrowserLauncherTest, twoRequests_twoHandOversInOrder)
{
    RecordingUrlHandler browser;
    const BrowserLauncher launcher;
    EXPECT_TRUE(launcher.open(QByteArray("http://a.example.jp/")).opened);
    EXPECT_TRUE(launcher.open(QByteArray("http://b.example.jp/")).opened);

    ASSERT_EQ(browser.requests.size(), 2u);
    EXPECT_EQ(browser.requests[0], QUrl(QStringLiteral("http://a.example.jp/")));
    EXPECT_EQ(browser.requests[1], QUrl(QStringLiteral("http://b.example.jp/")));
}

} // namespace
