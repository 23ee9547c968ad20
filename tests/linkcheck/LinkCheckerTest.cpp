// The link check against a local server: what each kind of answer comes to, politeness, cancel.
#include "CaseFile.h"
#include "HostLookup.h"
#include "LinkChecker.h"
#include "LocalHttpServer.h"

#include <QScopeGuard>
#include <QTcpServer>
#include <QSignalSpy>
#include <QTest>

namespace {

// The columns of cases.tsv.
namespace Case {
enum { Name, Url, Answers, Status, Code, Final, Requests, MovedTo, Dead, Count };
}

// "CODE", "CODE>LOCATION", "CODE*", "CODE*gz", "never", "flood" or "bytes/MS".
LocalHttpServer::Answer parseAnswer(const QString &token)
{
    using Answer = LocalHttpServer::Answer;
    if (token == QLatin1String("never") || token == QLatin1String("flood"))
        return Answer(200, 0, token == QLatin1String("never") ? Answer::Never : Answer::Flood);
    if (token.startsWith(QLatin1String("bytes/")))
        return Answer(200, token.mid(6).toInt(), Answer::Slowloris);
    QString code = token.section(QLatin1Char('>'), 0, 0);
    const Answer::Kind kind = code.endsWith(QLatin1String("*gz")) ? Answer::GzipBomb
        : code.endsWith(QLatin1Char('*'))                       ? Answer::EndlessBody
                                                                  : Answer::Plain;
    Answer answer(code.section(QLatin1Char('*'), 0, 0).toInt(), 0, kind);
    answer.location = token.section(QLatin1Char('>'), 1).toUtf8();
    return answer;
}

// Runs a checker over `jobs` to its end (or a generous limit) and returns its results by id.
std::map<int, LinkResult> check(LinkChecker &checker, std::vector<LinkJob> jobs)
{
    std::map<int, LinkResult> results;
    QObject::connect(&checker, &LinkChecker::linkChecked, [&](int id, const LinkResult &r) { results[id] = r; });
    QSignalSpy finished(&checker, &LinkChecker::finished);
    checker.start(std::move(jobs));
    EXPECT_TRUE(!finished.isEmpty() || finished.wait(20000));
    return results;
}

class LinkCases : public ::testing::TestWithParam<QStringList>
{
};

QString VerdictName(LinkVerdict verdict)
{
    const char *const names[] = {"unchecked", "ok", "moved", "warning", "dead"};
    return QString::fromLatin1(names[int(verdict)]);
}

TEST_P(LinkCases, answerSortedAsExpected)
{
    constexpr int kHosts = 12;
    LocalHttpServer server(kHosts);
    ASSERT_TRUE(server.isListening());
    QTcpServer unused;
    unused.listen(QHostAddress::LocalHost);
    const QString closed = QStringLiteral("http://127.0.0.1:%1").arg(unused.serverPort());
    unused.close();
    QStringList c = GetParam();
    ASSERT_EQ(c.size(), Case::Count);
    for (QString &column : c) {
        for (int host = kHosts; host > 0; --host)
            column.replace(QStringLiteral("{base%1}").arg(host), server.base(host));
        column.replace(QLatin1String("{base}"), server.base()).replace(QLatin1String("{closed}"), closed);
        column.replace(QLatin1String("{port}"), QString::number(QUrl(server.base()).port()));
    }
    // Each path gives its answers in turn, the last one repeating.
    std::map<QByteArray, std::vector<LocalHttpServer::Answer>> routes;
    for (const QString &route : c[Case::Answers].split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        for (const QString &token : route.section(QLatin1Char('='), 1).split(QLatin1Char(',')))
            routes[route.section(QLatin1Char('='), 0, 0).toUtf8()].push_back(parseAnswer(token));
    }
    std::map<QByteArray, std::size_t> asked;
    server.setHandler([&](const LocalHttpServer::Request &request) {
        const auto &answers = routes[request.path];
        return answers.empty() ? LocalHttpServer::Answer(599)
                               : answers[std::min(asked[request.path]++, answers.size() - 1)];
    });

    // A server that never ends its answer is waited for 400 ms (less, and a loaded machine may not
    // even deliver the request in time); every other gets time to spare.
    const bool stalls = c[Case::Answers].contains(QLatin1String("never")) || c[Case::Answers].contains(QLatin1String("bytes/"));
    // No case leans on this machine's resolver or hosts file: a name asked of one is a failure.
    static QStringList namesAsked;
    namesAsked.clear();
    HostLookup::testResolver = [](const QString &host) { return namesAsked << host, HostLookupResult(); };
    const auto unhook = qScopeGuard([] { HostLookup::testResolver = nullptr; });
    LinkChecker checker;
    checker.setSettings({16, 2, stalls ? 400 : 1000, 10});
    const LinkResult result = check(checker, {{7, c[Case::Url]}})[7];
    EXPECT_TRUE(namesAsked.isEmpty()) << namesAsked.join(u' ').toStdString();
    QStringList seen;
    for (const LocalHttpServer::Request &request : server.log())
        seen << QString::fromUtf8(request.method + request.path);
    const QStringList got{LinkStatusName(result.status), QString::number(result.code), result.finalUrl,
                          seen.join(QLatin1Char(' ')), result.movedTo,
                          VerdictName(LinkVerdictOf(result.status))};
    EXPECT_EQ(got.join(QLatin1Char('|')).toStdString(), QStringList(c.mid(Case::Status)).join(QLatin1Char('|')).toStdString());
    EXPECT_FALSE(result.message.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Answers, LinkCases, ::testing::ValuesIn(ReadCaseFile(QStringLiteral(TEST_DATA "/cases.tsv"))),
                         [](const auto &info) { return info.param[Case::Name].toStdString(); });

// Hosts are 127.0.0.1 … 127.0.0.N; every URL is answered after a pause, so requests overlap
// as much as the checker lets them. Both limits must be reached, never passed.
TEST(LinkChecker, keepsToPerHostAndOverallLimits)
{
    struct Limits { int hosts, jobs, expectPerHost, expectInAll; };
    for (const Limits limits : {Limits{3, 16, 2, 6}, Limits{2, 3, 2, 3}}) {
        LocalHttpServer server(limits.hosts);
        ASSERT_TRUE(server.isListening());
        server.setHandler([](const LocalHttpServer::Request &) { return LocalHttpServer::Answer(200, 40); });
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

// Each hop answers within the request's timeout; the chain as a whole is over in three of them.
TEST(LinkChecker, slowRedirectChainEndsAtTheCheckDeadline)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    server.setHandler([](const LocalHttpServer::Request &request) {
        LocalHttpServer::Answer answer(302, 100);
        answer.location = QByteArray::number(request.path.mid(1).toInt() + 1);
        return answer;
    });
    LinkChecker checker;
    checker.setSettings({16, 2, 150, 10});
    const LinkResult result = check(checker, {{1, server.base() + QStringLiteral("/0")}})[1];
    EXPECT_EQ(result.status, LinkStatus::Timeout);
    EXPECT_LE(server.log().size(), 6u) << "the chain went on past the deadline";
}

// Cancel ends the requests in flight and starts no more; how fast is bench/LinkCheckBench's.
TEST(LinkChecker, cancelClosesEveryRequestAndStartsNoMore)
{
    LocalHttpServer server(10);
    ASSERT_TRUE(server.isListening());
    server.setHandler([](const LocalHttpServer::Request &) { return LocalHttpServer::Answer(0, 0, LocalHttpServer::Answer::Never); });
    std::vector<LinkJob> jobs;
    for (int i = 0; i < 40; ++i)
        jobs.push_back({i, server.base(1 + i % 10) + QStringLiteral("/%1").arg(i)});
    LinkChecker checker;
    QSignalSpy results(&checker, &LinkChecker::linkChecked), finished(&checker, &LinkChecker::finished);
    checker.start(jobs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.inFlight() == 16; }, 5000));
    checker.cancel();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.openConnections() == 0; }, 5000));
    EXPECT_EQ(finished.count(), 1);
    QTest::qWait(200);
    EXPECT_EQ(server.log().size(), 16u) << "no request may follow a cancel";
    EXPECT_EQ(results.count(), 0);
}

} // namespace
