#include "BrowserLauncher.h"
#include "CaseFile.h"
#include "RecordingUrlHandler.h"
#include "TempRegister.h"

#include <QRegularExpression>

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
    for (const CaseRow &c : ReadCaseRows(QStringLiteral(TEST_DATA "/launcher_cases.tsv"))) {
        SCOPED_TRACE(c.fields[0].toStdString());
        const QString arrives = QString::fromUtf8(c.field(2));
        RecordingUrlHandler browser;
        const BrowserResult result = BrowserLauncher().open(CaseField(c.fields.value(1), SjisOf));
        EXPECT_EQ(result.opened, !arrives.isEmpty());
        QString message = QString::fromUtf8(c.field(3)).replace(QStringLiteral("REFUSED"), kRefused);
        message.replace(QRegularExpression(QStringLiteral("^OTHER\\(([^)]*)\\)")),
                        QStringLiteral("「\\1:」のアドレスはブラウザに渡しません。開けるのは http、https、ftp のアドレスだけです。\n"));
        EXPECT_EQ(result.message, message);
        ASSERT_EQ(browser.requests.size(), arrives.isEmpty() ? 0u : 1u);
        if (!arrives.isEmpty()) {
            EXPECT_TRUE(browser.requests[0].isValid());
            EXPECT_EQ(Readable(browser.requests[0]), arrives);
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
