// Reading a page's title and description in the encodings Japanese pages are served in, and from a
// local server the bodies a page fetch must not be caught by.
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
            const QByteArray body = encoder.encode(page);
            ASSERT_FALSE(encoder.hasError());
            const PageDetails details = PageFetch::read(body, QByteArray(place) == "header" ? "text/html; charset=" + label : "text/html");
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

// Through a server: a body in chunks is read whole; a page that never ends is read up to the
// limit and no further, without waiting for the deadline, its title at the top there; a redirect
// loop ends with the reason.
TEST(PageFetch, readsWhatTheServerSendsAndNoMore)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    server.setHandler([](const LocalHttpServer::Request &request) {
        if (request.path == "/a" || request.path == "/b") {
            LocalHttpServer::Answer loop(302);
            loop.location = request.path == "/a" ? "/b" : "/a";
            return loop;
        }
        const bool endless = request.path == "/endless";
        LocalHttpServer::Answer answer(200, 0, endless ? LocalHttpServer::Answer::EndlessBody : LocalHttpServer::Answer::Plain);
        answer.body = endless ? "<html><head><title>endless</title>" : "<html><head></head><body>text</body></html>";
        answer.chunked = !endless;
        return answer;
    });
    const PageDetails chunked = fetch(server.base() + QStringLiteral("/chunked"));
    EXPECT_TRUE(chunked.ok) << chunked.message.toStdString();
    EXPECT_EQ(chunked.title, QString());
    EXPECT_EQ(chunked.bytesRead, 43);
    const PageDetails endless = fetch(server.base() + QStringLiteral("/endless"));
    EXPECT_EQ(endless.title, QStringLiteral("endless"));
    EXPECT_EQ(endless.bytesRead, PageFetch::kMaxBodyBytes);
    EXPECT_TRUE(endless.cut);
    const PageDetails loop = fetch(server.base() + QStringLiteral("/a"));
    EXPECT_FALSE(loop.ok);
    EXPECT_TRUE(loop.message.contains(QStringLiteral("循環"))) << loop.message.toStdString();
    EXPECT_EQ(server.log().size(), 4u) << "one request for each page, two for the loop";
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
