// The link check against a local server: what each kind of answer comes to, politeness, cancel.
#include "LinkChecker.h"
#include "LocalHttpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <ostream>

namespace {

struct Case
{
    QString name, url, answers, status, code, finalUrl, requests, movedTo;
};

std::vector<Case> readCases()
{
    QFile file(QStringLiteral(SITEKANRI_CASES));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<Case> cases;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QStringList f = QString::fromUtf8(line).split(QLatin1Char('\t'));
        if (f.size() == 8)
            cases.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]});
        else
            EXPECT_TRUE(line.isEmpty() || line.startsWith('#')) << line.toStdString();
    }
    return cases;
}

LocalHttpServer::Answer parseAnswer(const QString &token, const QString &base)
{
    LocalHttpServer::Answer answer;
    answer.never = token == QLatin1String("never");
    if (token.startsWith(QLatin1String("headers/")))
        answer.headerEveryMs = token.section(QLatin1Char('/'), 1).toInt();
    const QString code = token.section(QLatin1Char('>'), 0, 0);
    answer.endlessBody = code.endsWith(QLatin1Char('*'));
    answer.code = QString(code).remove(QLatin1Char('*')).toInt();
    answer.location = token.section(QLatin1Char('>'), 1).replace(QLatin1String("{base}"), base).toUtf8();
    return answer;
}

// Runs a checker over `jobs` to its end (or a generous limit) and returns its results by id.
std::map<int, LinkResult> check(LinkChecker &checker, std::vector<LinkJob> jobs)
{
    std::map<int, LinkResult> results;
    QObject::connect(&checker, &LinkChecker::linkChecked, [&](int id, const LinkResult &r) { results[id] = r; });
    QEventLoop loop;
    QObject::connect(&checker, &LinkChecker::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    checker.start(std::move(jobs));
    if (checker.isRunning())
        loop.exec();
    EXPECT_FALSE(checker.isRunning());
    return results;
}

QString closedPortBase()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort()); // closed again on return
}

class LinkCases : public ::testing::TestWithParam<Case>
{
};

TEST_P(LinkCases, answerSortedAsExpected)
{
    const Case &c = GetParam();
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    const QString base = server.base();
    const QString closed = closedPortBase();
    auto expand = [&](QString text) {
        return text.replace(QLatin1String("{base}"), base).replace(QLatin1String("{closed}"), closed);
    };
    std::map<QByteArray, std::vector<LocalHttpServer::Answer>> routes;
    for (const QString &route : c.answers.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        for (const QString &token : route.section(QLatin1Char('='), 1).split(QLatin1Char(',')))
            routes[route.section(QLatin1Char('='), 0, 0).toUtf8()].push_back(parseAnswer(token, base));
    }
    std::map<QByteArray, std::size_t> asked;
    server.setHandler([&](const LocalHttpServer::Request &request) {
        const auto &answers = routes[request.path];
        return answers.empty() ? LocalHttpServer::Answer::after(0, 599) : answers[std::min(asked[request.path]++, answers.size() - 1)];
    });

    LinkChecker checker;
    checker.setSettings({16, 2, 400, 10});
    const LinkResult result = check(checker, {{7, expand(c.url)}})[7];

    EXPECT_EQ(LinkStatusName(result.status).toStdString(), c.status.toStdString());
    EXPECT_EQ(result.code, c.code.toInt());
    EXPECT_EQ(result.finalUrl.toStdString(), expand(c.finalUrl).toStdString());
    EXPECT_EQ(result.movedTo.toStdString(), expand(c.movedTo).toStdString());
    EXPECT_FALSE(result.message.isEmpty());
    QStringList seen;
    for (const LocalHttpServer::Request &request : server.log())
        seen << QString::fromUtf8(request.method + request.path);
    EXPECT_EQ(seen.join(QLatin1Char(' ')).toStdString(), c.requests.toStdString());
}

void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Answers, LinkCases, ::testing::ValuesIn(readCases()),
                         [](const ::testing::TestParamInfo<Case> &info) { return info.param.name.toStdString(); });

// Hosts are 127.0.0.1 … 127.0.0.N; every URL is answered after a pause, so requests overlap
// as much as the checker lets them. Both limits must be reached, never passed.
TEST(LinkChecker, keepsToPerHostAndOverallLimits)
{
    struct Limits
    {
        int hosts, jobs, expectPerHost, expectInAll;
    };
    for (const Limits limits : {Limits{3, 16, 2, 6}, Limits{2, 3, 2, 3}}) {
        LocalHttpServer server(limits.hosts);
        ASSERT_TRUE(server.isListening());
        server.setHandler([](const LocalHttpServer::Request &) { return LocalHttpServer::Answer::after(40); });
        std::vector<LinkJob> jobs;
        for (int i = 0; i < 8 * limits.hosts; ++i)
            jobs.push_back({i, server.base(1 + i / 8) + QStringLiteral("/%1").arg(i)});
        LinkChecker checker;
        checker.setSettings({limits.jobs, 2, 5000, 10});
        EXPECT_EQ(check(checker, jobs).size(), jobs.size());
        EXPECT_EQ(server.maxInFlightPerHost(), limits.expectPerHost) << limits.hosts << " hosts";
        EXPECT_EQ(server.maxInFlight(), limits.expectInAll) << limits.hosts << " hosts";
    }
}

TEST(LinkChecker, cancelClosesEveryRequestWithin100ms)
{
    LocalHttpServer server(10);
    ASSERT_TRUE(server.isListening());
    server.setHandler([](const LocalHttpServer::Request &) { return LocalHttpServer::Answer::none(); });
    std::vector<LinkJob> jobs;
    for (int i = 0; i < 40; ++i)
        jobs.push_back({i, server.base(1 + i % 10) + QStringLiteral("/%1").arg(i)});
    LinkChecker checker;
    int results = 0;
    bool finished = false;
    QObject::connect(&checker, &LinkChecker::linkChecked, [&] { ++results; });
    QObject::connect(&checker, &LinkChecker::finished, [&] { finished = true; });
    checker.start(jobs);
    QElapsedTimer waited;
    waited.start();
    while (server.inFlight() < 16 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    ASSERT_EQ(server.inFlight(), 16);

    QElapsedTimer sinceCancel;
    sinceCancel.start();
    checker.cancel();
    while (server.openConnections() > 0 && sinceCancel.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    EXPECT_EQ(server.openConnections(), 0);
    EXPECT_LE(sinceCancel.elapsed(), 100);
    EXPECT_TRUE(finished);
    QElapsedTimer after;
    after.start();
    while (after.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    EXPECT_EQ(server.log().size(), 16u) << "no request may follow a cancel";
    EXPECT_EQ(results, 0);
}

} // namespace
