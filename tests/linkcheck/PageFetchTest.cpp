// Reading a page's title and description from a local server, in the encodings Japanese pages
// are served in, and the bodies a page fetch must not be caught by.
#include "BodyReader.h"
#include "LocalHttpServer.h"
#include "PageFetch.h"
#include "PageHead.h"

#include <QEventLoop>
#include <QStringEncoder>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

PageDetails fetch(const QString &url)
{
    PageFetch fetch(url);
    PageDetails details;
    QEventLoop loop;
    QObject::connect(&fetch, &PageFetch::finished, &loop, [&](const PageDetails &got) {
        details = got;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    QTimer::singleShot(0, &fetch, &PageFetch::start);
    loop.exec();
    return details;
}

const QString kTitle = QStringLiteral("日本語のページ：東京の天気と「お知らせ」");
const QString kDescription = QStringLiteral("毎日の天気をお知らせします。");

// The charset is said in the HTTP header, in a meta tag (both forms), or nowhere.
TEST(PageFetch, readsTitleAndDescriptionInEachJapaneseEncodingWhereverTheCharsetIsSaid)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    for (const char *encoding : {"UTF-8", "Shift_JIS", "EUC-JP", "ISO-2022-JP"}) {
        for (const char *place : {"header", "meta", "http-equiv", "nowhere"}) {
            const QByteArray label(encoding);
            const QString declaration = QByteArray(place) == "meta" ? QStringLiteral("<meta charset=\"%1\">").arg(QLatin1String(label))
                : QByteArray(place) == "http-equiv"
                ? QStringLiteral("<META HTTP-EQUIV=Content-Type CONTENT='text/html; charset=%1'>").arg(QLatin1String(label))
                : QString();
            const QString page = QStringLiteral("<html><head>") + declaration + QStringLiteral("<title>\n  ") + kTitle
                + QStringLiteral("\n</title><meta name=\"description\" content=\"") + kDescription
                + QStringLiteral("\"></head><body><p>本文です。ひらがなとカタカナ。</p></body></html>");
            QStringEncoder encoder(encoding);
            LocalHttpServer::Answer answer;
            answer.body = encoder.encode(page);
            ASSERT_FALSE(encoder.hasError());
            answer.contentType = QByteArray(place) == "header" ? "text/html; charset=" + label : "text/html";
            server.setHandler([&](const LocalHttpServer::Request &) { return answer; });
            const PageDetails details = fetch(server.base() + QStringLiteral("/page"));
            const std::string what = label.toStdString() + " in " + place;
            EXPECT_TRUE(details.ok) << what << ": " << details.message.toStdString();
            EXPECT_EQ(details.title, kTitle) << what;
            EXPECT_EQ(details.description, kDescription) << what;
        }
    }
}

// A title is text: markup in it stays as written, references are decoded once.
TEST(PageHead, readsTheFirstTitleAsTextAndPassesOverCommentsAndScripts)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("<title>a &lt;b&gt; <b>c</b> &amp;amp;</title>"), QStringLiteral("a <b> <b>c</b> &amp;")},
        {QStringLiteral("<!-- <title>no</title> --><script>'<title>no</title>'</script><TITLE lang=ja>yes</TITLE>"
                        "<title>second</title>"),
         QStringLiteral("yes")},
        {QStringLiteral("<meta property='og:title' content='Open &quot;Graph&quot;'><body>"), QStringLiteral("Open \"Graph\"")},
        {QStringLiteral("<html><body>no title</body></html>"), QString()},
        {QStringLiteral("<title>cut short"), QStringLiteral("cut short")},
    };
    for (const auto &[html, title] : cases) {
        const PageHead head = PageHead::read(html);
        EXPECT_EQ(head.title.isEmpty() ? head.ogTitle : head.title, title) << html.toStdString();
    }
}

TEST(PageFetch, pageWithoutTitleIsReadAndSaysNothing)
{
    LocalHttpServer server;
    server.setHandler([](const LocalHttpServer::Request &) {
        LocalHttpServer::Answer answer;
        answer.body = "<html><head></head><body>text</body></html>";
        answer.chunked = true;
        return answer;
    });
    const PageDetails details = fetch(server.base());
    EXPECT_TRUE(details.ok) << details.message.toStdString();
    EXPECT_EQ(details.title, QString());
    EXPECT_EQ(details.bytesRead, 43);
}

// A page that never ends is read up to the limit and no further, without waiting for the
// deadline; its title, at the top, is there.
TEST(PageFetch, endlessPageStopsAtTheLimit)
{
    LocalHttpServer server;
    server.setHandler([](const LocalHttpServer::Request &) {
        LocalHttpServer::Answer answer(200, 0, LocalHttpServer::Answer::EndlessBody);
        answer.body = "<html><head><title>endless</title>";
        return answer;
    });
    const PageDetails details = fetch(server.base());
    EXPECT_EQ(details.title, QStringLiteral("endless"));
    EXPECT_EQ(details.bytesRead, PageFetch::kMaxBodyBytes);
    EXPECT_TRUE(details.cut);
}

TEST(PageFetch, redirectLoopEndsWithTheReason)
{
    LocalHttpServer server;
    server.setHandler([](const LocalHttpServer::Request &request) {
        LocalHttpServer::Answer answer(302);
        answer.location = request.path == "/a" ? "/b" : "/a";
        return answer;
    });
    const PageDetails details = fetch(server.base() + QStringLiteral("/a"));
    EXPECT_FALSE(details.ok);
    EXPECT_TRUE(details.message.contains(QStringLiteral("循環"))) << details.message.toStdString();
    EXPECT_EQ(server.log().size(), 2u);
}

// Chunked bodies split at every byte, and bodies cut at the limit or sent until the end.
TEST(BodyReader, readsEachFramingInAnyPieces)
{
    const QByteArray chunked = "4;ext=1\r\nabcd\r\n3\r\nefg\r\n0\r\nTrailer: x\r\n\r\n";
    for (qsizetype split = 1; split < chunked.size(); ++split) {
        LinkAnswer head;
        head.code = 200;
        head.chunked = true;
        BodyReader reader(head, 100);
        const bool first = reader.feed(chunked.constData(), split);
        const bool done = reader.feed(chunked.constData() + split, chunked.size() - split);
        EXPECT_TRUE(first || done) << split;
        EXPECT_EQ(reader.body(), QByteArray("abcdefg")) << split;
    }
    LinkAnswer sized;
    sized.code = 200;
    sized.contentLength = 10;
    BodyReader cut(sized, 4);
    EXPECT_TRUE(cut.feed("0123456789", 10));
    EXPECT_EQ(cut.body(), QByteArray("0123"));
    EXPECT_TRUE(cut.isCut());
    LinkAnswer untilClosed;
    untilClosed.code = 200;
    BodyReader open(untilClosed, 100);
    EXPECT_FALSE(open.feed("abc", 3));
    EXPECT_EQ(open.body(), QByteArray("abc"));
}

} // namespace
