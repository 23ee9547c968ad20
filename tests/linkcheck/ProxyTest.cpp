// The link check and the title fetch directly and through a real HTTP proxy on loopback
// (tinyproxy), named by the environment in either case: the same answers, the same redirect rules,
// hosts the environment exempts asked directly, and https through a CONNECT tunnel.
#include "LinkChecker.h"
#include "LocalHttpServer.h"
#include "PageFetch.h"
#include "ScopedEnvironment.h"
#include "TempRegister.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// tinyproxy in the foreground on 127.0.0.1, tunnelling to `connectPort` only; its log names
// every request it passed on.
class TinyProxy
{
public:
    explicit TinyProxy(quint16 connectPort)
    {
        m_port = freePort();
        m_dir.write(QStringLiteral("tinyproxy.conf"),
                    QStringLiteral("Port %1\nListen 127.0.0.1\nAllow 127.0.0.1\nConnectPort %2\nTimeout 10\nLogLevel Info\n"
                                   "LogFile \"%3\"\nMaxClients 20\n")
                        .arg(QString::number(m_port), QString::number(connectPort), m_dir.file(QStringLiteral("log")))
                        .toUtf8());
        m_process.start(QStringLiteral("tinyproxy"), {QStringLiteral("-d"), QStringLiteral("-c"), m_dir.file(QStringLiteral("tinyproxy.conf"))});
        QTcpSocket socket;
        m_up = QTest::qWaitFor([&] {
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            return socket.waitForConnected(100);
        }, 5000);
    }
    ~TinyProxy()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    bool isUp() const { return m_up; }
    QByteArray url() const { return "http://127.0.0.1:" + QByteArray::number(m_port); }
    QString log() const { return QString::fromUtf8(m_dir.read(QStringLiteral("log"))); }

private:
    TempRegister m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    bool m_up = false;
};

QString statuses(const std::vector<QString> &urls)
{
    std::vector<LinkJob> jobs;
    for (const QString &url : urls)
        jobs.push_back({int(jobs.size()), url});
    QStringList got(int(jobs.size()));
    LinkChecker checker;
    checker.setSettings({16, 2, 5000, 10});
    QObject::connect(&checker, &LinkChecker::linkChecked, [&](int id, const LinkResult &r) { got[id] = LinkStatusName(r.status); });
    QSignalSpy finished(&checker, &LinkChecker::finished);
    checker.start(jobs);
    EXPECT_TRUE(!finished.isEmpty() || finished.wait(20000));
    return got.join(u' ');
}

// The title read, or "stopped: " and the message.
QString fetched(const QString &url)
{
    PageFetch fetch(url);
    QSignalSpy finished(&fetch, &PageFetch::finished);
    fetch.start();
    if (finished.isEmpty() && !finished.wait(20000))
        return QStringLiteral("no answer");
    const PageDetails details = finished.at(0).at(0).value<PageDetails>();
    return details.ok ? details.title : QStringLiteral("stopped: ") + details.message;
}

TEST(Proxy, checkAndTitleFetchKeepTheirRulesDirectlyAndThroughTheProxy)
{
    LocalHttpServer server(2);
    ASSERT_TRUE(server.isListening());
    const QString closed = QStringLiteral("http://127.0.0.1:%1").arg(freePort());
    // "/a>b" redirects to b; any other path is a page titled with its path.
    const std::map<QByteArray, QString> redirects{{"/moved", QStringLiteral("/new")}, {"/here", QStringLiteral("/page")},
                                                  {"/away", server.base(2) + QStringLiteral("/secret")},
                                                  {"/far", QStringLiteral("http://elsewhere.invalid/page")},
                                                  {"/port", closed + QStringLiteral("/page")}};
    server.setHandler([&](const LocalHttpServer::Request &r) {
        const auto to = redirects.find(r.path);
        LocalHttpServer::Answer answer(r.path == "/gone" ? 404 : to == redirects.end() ? 200 : r.path == "/moved" ? 301 : 302);
        answer.location = to == redirects.end() ? QByteArray() : to->second.toUtf8();
        answer.body = "<title>" + r.path + "</title>";
        return answer;
    });
    const bool haveProxy = !QStandardPaths::findExecutable(QStringLiteral("tinyproxy")).isEmpty();
    for (const char *variable : {"", "http_proxy", "HTTP_PROXY"}) {
        if (*variable && !haveProxy)
            break;
        SCOPED_TRACE(*variable ? variable : "directly");
        TinyProxy proxy(0);
        ASSERT_TRUE(!*variable || proxy.isUp());
        ScopedEnvironment environment{{*variable ? variable : "http_proxy", *variable ? proxy.url() : QByteArray()},
                                      {"no_proxy", "127.0.0.2"}};
        const std::size_t before = server.log().size();
        EXPECT_EQ(statuses({server.base() + QStringLiteral("/ok"), server.base() + QStringLiteral("/gone"),
                            server.base() + QStringLiteral("/moved"), server.base(2) + QStringLiteral("/exempt")}),
                  QStringLiteral("ok gone moved ok"));
        // The title fetch reads its own site only: another host (inside or out), or another port
        // of this one, is named and not asked; the same host and port again is.
        EXPECT_EQ(fetched(server.base() + QStringLiteral("/here")), QStringLiteral("/page"));
        for (const char *path : {"/away", "/far", "/port"}) {
            const QString result = fetched(server.base() + QLatin1String(path));
            EXPECT_TRUE(result.startsWith(QStringLiteral("stopped: ")) && result.contains(redirects.at(path))) << result.toStdString();
        }
        QStringList asked;
        for (std::size_t i = before; i < server.log().size(); ++i)
            asked << QString::number(server.log()[i].host) + QString::fromUtf8(server.log()[i].path);
        EXPECT_EQ(asked.size(), 10) << asked.join(u' ').toStdString();
        EXPECT_FALSE(asked.contains(QStringLiteral("2/secret")));
        // Through the proxy: every request but the exempt host's, in absolute form.
        const QString log = proxy.log();
        EXPECT_EQ(log.count(QStringLiteral(": GET http://127.0.0.1:")) + log.count(QStringLiteral(": HEAD http://127.0.0.1:")),
                  *variable ? 9 : 0) << log.toStdString();
        EXPECT_FALSE(log.contains(QStringLiteral("127.0.0.2")));
    }
    if (!haveProxy)
        GTEST_SKIP() << "tinyproxy is not installed (scripts/setup.sh installs it): checked directly only";
}

// https goes through a CONNECT tunnel to the site's own TLS handshake; a tunnel the proxy refuses
// is the proxy's answer, not the site's.
TEST(Proxy, httpsGoesThroughAConnectTunnel)
{
    if (QStandardPaths::findExecutable(QStringLiteral("tinyproxy")).isEmpty())
        GTEST_SKIP() << "tinyproxy is not installed (scripts/setup.sh installs it)";
    // A TLS server that keeps what came through the tunnel and ends the handshake with a fatal alert.
    QTcpServer tls;
    ASSERT_TRUE(tls.listen(QHostAddress::LocalHost));
    QByteArray hello;
    QObject::connect(&tls, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = tls.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, [&hello, socket] {
            hello += socket->readAll();
            socket->write(QByteArray("\x15\x03\x01\x00\x02\x02\x28", 7)); // handshake_failure
            socket->disconnectFromHost();
        });
    });
    TinyProxy proxy(tls.serverPort());
    ASSERT_TRUE(proxy.isUp());
    ScopedEnvironment environment{{"https_proxy", proxy.url()}};
    const QString port = QString::number(tls.serverPort());
    EXPECT_EQ(statuses({QStringLiteral("https://127.0.0.1:") + port + QStringLiteral("/"),
                        QStringLiteral("https://127.0.0.1:%1/").arg(freePort())}),
              QStringLiteral("tls_error server_error"));
    EXPECT_TRUE(hello.startsWith("\x16\x03")) << "no TLS ClientHello came through: " << hello.toHex().toStdString();
    EXPECT_TRUE(proxy.log().contains(QStringLiteral("CONNECT 127.0.0.1:") + port)) << proxy.log().toStdString();
}

} // namespace
