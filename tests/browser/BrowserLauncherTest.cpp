#include "BrowserLauncher.h"
#include "RecordingUrlHandler.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

namespace {

const QString kNoUrl = QStringLiteral("URLが登録されていません。");
const QString kRefused = QStringLiteral("ブラウザを起動できませんでした。\n");

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

// A handler is registered for http, so a refused address would reach it if the launcher did not
// check: QDesktopServices hands even an invalid URL to a handler.
TEST(BrowserLauncher, handsOverCharacterForCharacterOrRefusesWithMessage)
{
    const struct
    {
        const char *name;
        QByteArray url;      // register bytes
        const char *arrives; // UTF-8, as Readable() shows it; nullptr when refused
        QString message;
    } cases[] = {
        {"japanese host path and query", Sjis("http://例え.テスト/パス?q=日本語"), "http://例え.テスト/パス?q=日本語", {}},
        // Raw bytes: 0x8160 is U+FF5E in CP932 but U+301C in plain Shift-JIS, 0x8740 is an NEC
        // extension, 0xB6.. are half-width katakana.
        {"cp932 only characters", QByteArray("https://www.example.jp/\x81\x60\x87\x40?k=\xB6\xC0\xB6\xC5"),
         "https://www.example.jp/～①?k=ｶﾀｶﾅ", {}},
        {"no scheme", QByteArray("www.example.jp/a"), "http://www.example.jp/a", {}},
        {"no scheme japanese", Sjis("例え.jp/日記#今日"), "http://例え.jp/日記#今日", {}},
        {"blanks around", QByteArray("  https://www.example.jp/x y  "), "https://www.example.jp/x y", {}},
        {"local path", Sjis("/tmp/サイト管理/a b.html"), "file:///tmp/サイト管理/a b.html", {}},
        {"encoded file url", QByteArray("file:///tmp/%E4%BE%8B/index.html"), "file:///tmp/例/index.html", {}},
        {"empty", QByteArray(), nullptr, kNoUrl},
        {"blanks only", QByteArray(" \t "), nullptr, kNoUrl},
        // QUrl::fromUserInput alone would open "http://http//exa mple.jp".
        {"space in host", QByteArray("http://exa mple.jp/"), nullptr, kRefused + QStringLiteral("http://exa mple.jp/")},
        {"blank before a bad address", QByteArray(" http://exa mple.jp/"), nullptr,
         kRefused + QStringLiteral(" http://exa mple.jp/")},
        {"unclosed address", Sjis("http://[::1/日本"), nullptr, kRefused + QStringLiteral("http://[::1/日本")},
        {"nothing to complete", Sjis("ア イ"), nullptr, kRefused + QStringLiteral("ア イ")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingUrlHandler browser;
        const BrowserResult result = BrowserLauncher().open(c.url);
        EXPECT_EQ(result.opened, c.arrives != nullptr);
        EXPECT_EQ(result.message, c.message);
        ASSERT_EQ(browser.requests.size(), c.arrives ? 1u : 0u);
        if (c.arrives) {
            EXPECT_TRUE(browser.requests[0].isValid());
            EXPECT_EQ(Readable(browser.requests[0]), QString::fromUtf8(c.arrives));
        }
    }
}

TEST(BrowserLauncher, refusedHandOverGivesMessageWithUrl)
{
    std::vector<QUrl> offered;
    const BrowserLauncher launcher([&offered](const QUrl &url) {
        offered.push_back(url);
        return false;
    });
    const BrowserResult result = launcher.open(Sjis("www.例え.jp/"));
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.message, kRefused + QStringLiteral("www.例え.jp/"));
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(Readable(offered[0]), QStringLiteral("http://www.例え.jp/"));
}

} // namespace
