// Reading an answer's head and body as they arrive, a page's title and description in the encodings
// Japanese pages are served in, and from a local server the bodies a page fetch must not be caught by;
// the fetch and the check directly and through a real proxy (tinyproxy).
#include "AnswerHead.h"
#include "BodyReader.h"
#include "LinkChecker.h"
#include "LocalHttpServer.h"
#include "PageFetch.h"
#include "PageHead.h"
#include "TempRegister.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

namespace {

PageDetails fetch(const QString &url)
{
    PageFetch fetch(url);
    QSignalSpy finished(&fetch, &PageFetch::finished);
    fetch.start();
    EXPECT_TRUE(!finished.isEmpty() || finished.wait(20000));
    return finished.isEmpty() ? PageDetails() : finished.at(0).at(0).value<PageDetails>();
}

const QString kTitle = QStringLiteral("日本語のページ：東京の天気と「お知らせ」");
const QString kDescription = QStringLiteral("毎日の天気をお知らせします。");

// The charset is said in the HTTP header, in a meta tag (both forms), or nowhere.
TEST(PageFetch, readsTitleAndDescriptionInEachJapaneseEncodingWhereverTheCharsetIsSaid)
{
    // Where the charset is said, and how (%1: the charset's name).
    const std::pair<const char *, const char *> places[] = {
        {"header", ""}, {"meta", "<meta charset=\"%1\">"},
        {"http-equiv", "<META HTTP-EQUIV=Content-Type CONTENT='text/html; charset=%1'>"}, {"nowhere", ""}};
    for (const char *encoding : {"UTF-8", "Shift_JIS", "EUC-JP", "ISO-2022-JP"}) {
        for (const auto &[place, declaration] : places) {
            const QByteArray label(encoding);
            const QString page = QStringLiteral("<html><head>") + QString::fromLatin1(declaration).replace(QLatin1String("%1"), QLatin1String(label))
                + QStringLiteral("<title>\n  ") + kTitle + QStringLiteral("\n</title><meta name=\"description\" content=\"") + kDescription
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
// limit and no further, without waiting for the deadline, its title at the top there. (Where
// redirects lead: the link trail's cases, and the proxy test for a page's own site.)
TEST(PageFetch, readsWhatTheServerSendsAndNoMore)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    server.setHandler([](const LocalHttpServer::Request &request) {
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
    EXPECT_EQ(server.log().size(), 2u) << "one request for each page";
}

// Chunked bodies split at every byte, and bodies cut at the limit or sent until the end.
TEST(BodyReader, readsEachFramingInAnyPieces)
{
    const auto head = [](bool chunked, qint64 length) {
        LinkAnswer head;
        head.code = 200;
        head.chunked = chunked;
        head.contentLength = length;
        return head;
    };
    const QByteArray chunked = "4;ext=1\r\nabcd\r\n3\r\nefg\r\n0\r\nTrailer: x\r\n\r\n";
    for (qsizetype split = 1; split < chunked.size(); ++split) {
        BodyReader reader(head(true, -1), 100);
        const bool first = reader.feed(chunked.constData(), split);
        const bool done = reader.feed(chunked.constData() + split, chunked.size() - split);
        EXPECT_TRUE(first || done) << split;
        EXPECT_EQ(reader.body(), QByteArray("abcdefg")) << split;
    }
    BodyReader cut(head(false, 10), 4);
    EXPECT_TRUE(cut.feed("0123456789", 10));
    EXPECT_EQ(cut.body(), QByteArray("0123"));
    EXPECT_TRUE(cut.isCut());
    BodyReader open(head(false, -1), 100);
    EXPECT_FALSE(open.feed("abc", 3));
    EXPECT_EQ(open.body(), QByteArray("abc"));
}

TEST(AnswerHead, readsStatusAndLocationAsServersSendThem)
{
    const QByteArray longLine = "HTTP/1.1 200 OK\r\nX: " + QByteArray(AnswerHead::kMaxBytes, 'a');
    const QByteArray manyLines = "HTTP/1.1 200 OK\r\n" + QByteArray("X: 1\r\n").repeated(AnswerHead::kMaxBytes / 6);
    // The bytes, then what they read as: state (0 incomplete, 1 complete, 2 broken), code, Location.
    const std::pair<QByteArray, std::string> cases[] = {
        {"HTTP/1.1 301 Moved\r\nLocation:  /b \r\n\r\nbody", "1 301 /b"},
        {"HTTP/1.0 204\n\n", "1 204 "},
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 302 Found\r\nlocation: /x\r\nLocation: /y\r\n\r\n", "1 302 /x"},
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nX: y\r\n", "0 0 "},
        {"SSH-2.0-OpenSSH_9.2\r\n", "2 0 "},
        {"HTTP/1.1 2000 OK\r\n\r\n", "2 0 "},
        {"HTTP/1.1 099 Odd\r\n\r\n", "2 0 "},
        {longLine, "2 0 "},
        {manyLines, "2 0 "},
    };
    for (const auto &[bytes, expected] : cases) {
        LinkAnswer answer;
        const int state = int(AnswerHead::read(bytes, answer));
        EXPECT_EQ(std::to_string(state) + ' ' + std::to_string(answer.code) + ' ' + answer.location.toStdString(), expected)
            << bytes.left(80).toStdString();
        EXPECT_EQ(answer.failure == LinkAnswer::Failure::Other, state == int(AnswerHead::State::Broken));
    }
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// tinyproxy in the foreground on 127.0.0.1, tunnelling to `connectPort` only, asking for
// `credentials` ("user:password") when given; its log names every request it passed on.
struct TinyProxy
{
    TinyProxy(quint16 connectPort, const QString &credentials) : port(freePort())
    {
        dir.write(QStringLiteral("conf"), QStringLiteral("Port %1\nListen 127.0.0.1\nAllow 127.0.0.1\nConnectPort %2\nLogLevel Info\n"
                                                         "LogFile \"%3\"\n%4")
                                              .arg(QString::number(port), QString::number(connectPort), dir.file(QStringLiteral("log")),
                                                   credentials.isEmpty() ? QString() : QStringLiteral("BasicAuth ") + QString(credentials).replace(u':', u' '))
                                              .toUtf8());
        url = "http://" + (credentials.isEmpty() ? QByteArray() : credentials.toUtf8() + '@') + "127.0.0.1:" + QByteArray::number(port);
        process.start(QStringLiteral("tinyproxy"), {QStringLiteral("-d"), QStringLiteral("-c"), dir.file(QStringLiteral("conf"))});
        QTcpSocket socket;
        up = QTest::qWaitFor([&] { return socket.connectToHost(QHostAddress::LocalHost, port), socket.waitForConnected(100); }, 5000);
    }
    ~TinyProxy() { process.terminate(), process.waitForFinished(5000); }
    QString log() const { return QString::fromUtf8(dir.read(QStringLiteral("log"))); }

    TempRegister dir;
    QProcess process;
    quint16 port;
    QByteArray url;
    bool up = false;
};

// Directly, then through the proxy as the environment names it in either case, then through one
// that wants a password: the same answers, the same redirect rules, the host no_proxy names asked
// directly, https through a CONNECT tunnel.
TEST(Proxy, checkAndTitleFetchKeepTheirRulesDirectlyAndThroughTheProxy)
{
    if (QStandardPaths::findExecutable(QStringLiteral("tinyproxy")).isEmpty())
        GTEST_SKIP() << "tinyproxy is not installed (scripts/setup.sh installs it)";
    LocalHttpServer server(2);
    ASSERT_TRUE(server.isListening());
    // Redirects by path; any other path is a page titled with its path, "/gone" gone.
    const std::map<QByteArray, QString> redirects{
        {"/moved", QStringLiteral("/new")}, {"/here", QStringLiteral("/page")}, {"/away", server.base(2) + QStringLiteral("/secret")},
        {"/far", QStringLiteral("http://elsewhere.invalid/page")}, {"/port", QStringLiteral("http://127.0.0.1:%1/").arg(freePort())}};
    server.setHandler([&](const LocalHttpServer::Request &r) {
        const auto to = redirects.find(r.path);
        LocalHttpServer::Answer answer(r.path == "/gone" ? 404 : to == redirects.end() ? 200 : r.path == "/moved" ? 301 : 302);
        answer.location = to == redirects.end() ? QByteArray() : to->second.toUtf8();
        answer.body = "<title>" + r.path + "</title>";
        return answer;
    });
    // A TLS server that ends every handshake with a fatal alert: tls_error says the ClientHello came.
    QTcpServer tls;
    ASSERT_TRUE(tls.listen(QHostAddress::LocalHost));
    QObject::connect(&tls, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = tls.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, [socket] { socket->write(QByteArray("\x15\x03\x01\x00\x02\x02\x28", 7)); });
    });
    const QStringList checked{server.base() + QStringLiteral("/ok"), server.base() + QStringLiteral("/gone"),
                              server.base() + QStringLiteral("/moved"), server.base(2) + QStringLiteral("/exempt"),
                              QStringLiteral("https://127.0.0.1:%1/").arg(tls.serverPort()), QStringLiteral("https://127.0.0.1:%1/").arg(freePort())};
    TinyProxy open(tls.serverPort(), QString()), guarded(tls.serverPort(), QStringLiteral("site:kanri"));
    ASSERT_TRUE(open.up && guarded.up);
    // Whether the proxy is named, by which variables, and what the check finds: the proxy refuses a
    // tunnel to another port.
    for (const auto &[through, http, https, statuses] :
         {std::tuple{(TinyProxy *)nullptr, "http_proxy", "https_proxy", "ok gone moved ok tls_error refused"},
          {&open, "http_proxy", "https_proxy", "ok gone moved ok tls_error server_error"},
          {&open, "HTTP_PROXY", "HTTPS_PROXY", "ok gone moved ok tls_error server_error"},
          {&guarded, "http_proxy", "https_proxy", "ok gone moved ok tls_error server_error"}}) {
        SCOPED_TRACE(through ? through->url.toStdString() + " as " + http : "directly");
        TinyProxy &proxy = through ? *through : open;
        for (const char *name : {http, https})
            through ? qputenv(name, proxy.url) : qunsetenv(name);
        qputenv("no_proxy", "127.0.0.2");
        const auto unset = qScopeGuard([&] {
            for (const char *name : {http, https, "no_proxy"})
                qunsetenv(name);
        });
        const qsizetype logged = proxy.log().size();
        const std::size_t before = server.log().size();
        QStringList got(checked.size());
        LinkChecker checker;
        QObject::connect(&checker, &LinkChecker::linkChecked, [&](int id, const LinkResult &r) { got[id] = LinkStatusName(r.status); });
        QSignalSpy finished(&checker, &LinkChecker::finished);
        checker.start({{0, checked[0]}, {1, checked[1]}, {2, checked[2]}, {3, checked[3]}, {4, checked[4]}, {5, checked[5]}});
        EXPECT_TRUE(!finished.isEmpty() || finished.wait(20000));
        EXPECT_EQ(got.join(u' '), QString::fromLatin1(statuses));
        // The title fetch reads its own site only: another host (inside or out), or another port
        // of this one, is named and not asked; the same host and port again is.
        EXPECT_EQ(fetch(server.base() + QStringLiteral("/here")).title, QStringLiteral("/page"));
        for (const char *path : {"/away", "/far", "/port"}) {
            const PageDetails stopped = fetch(server.base() + QLatin1String(path));
            EXPECT_TRUE(!stopped.ok && stopped.message.contains(redirects.at(path))) << stopped.message.toStdString();
        }
        EXPECT_EQ(server.log().size() - before, 10u) << "no page asked but the site's own";
        // Through the proxy, every request but the exempt host's: plain ones whole, https by CONNECT.
        const QString log = proxy.log().mid(logged);
        EXPECT_EQ(log.count(QStringLiteral(" http://127.0.0.1:")), through ? 9 : 0) << log.toStdString();
        EXPECT_EQ(log.count(QStringLiteral("CONNECT 127.0.0.1:%1 ").arg(tls.serverPort())), through ? 1 : 0);
        EXPECT_FALSE(log.contains(QStringLiteral("127.0.0.2")));
    }
}

} // namespace
