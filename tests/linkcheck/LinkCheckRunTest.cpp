// The one rule of the window and the command line for a check the network did not carry: while no
// host has answered, a resolver's "no such name" is no verdict (many offline networks answer it to
// every name); once one has, it is. The resolver here answers "no such name" to every name.
#include "HostLookup.h"
#include "LinkCheckRun.h"
#include "LocalHttpServer.h"
#include "SiteList.h"
#include "TempRegister.h"

#include <QScopeGuard>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <map>

namespace {

TEST(LinkCheckRun, noSuchNameIsAVerdictOnlyOnceSomeHostAnswered)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    server.setHandler([](const LocalHttpServer::Request &) { return LocalHttpServer::Answer(200); });
    HostLookup::testResolver = [](const QString &) { return HostLookupResult{HostLookupResult::Outcome::NoSuchName, {}, {}}; };
    const auto unhook = qScopeGuard([] { HostLookup::testResolver = nullptr; });
    // The sites' URLs; for each, what it was told as and what was recorded ("-": nothing); whether
    // the run counts as one without a network.
    const std::tuple<const char *, const char *, bool> cases[] = {
        {"http://gone.example/ http://other.example/", "offline/- offline/-", true},
        {"http://gone.example/ {base}/a", "no_host/no_host ok/ok", false},
        {"{base}/a http://gone.example/ http://other.example/", "ok/ok no_host/no_host no_host/no_host", false},
        {"ftp://files.example/ http://gone.example/", "invalid/invalid offline/-", true},
    };
    for (const auto &[urls, outcomes, offline] : cases) {
        SCOPED_TRACE(urls);
        SiteList sites;
        std::vector<std::size_t> positions;
        for (const QString &url : QString::fromLatin1(urls).replace(QLatin1String("{base}"), server.base()).split(u' ')) {
            positions.push_back(sites.size());
            sites.push_back(MakeRecord("site", url.toLatin1().constData()), int(sites.size()) + 1);
        }
        LinkCheckRun run;
        run.setSettings({16, 2, 2000, 10});
        std::map<int, QString> told;
        QObject::connect(&run, &LinkCheckRun::linkChecked, [&](int index, const LinkResult &r) { told[index] += LinkStatusName(r.status); });
        QSignalSpy finished(&run, &LinkCheckRun::finished);
        run.start(sites, positions);
        ASSERT_TRUE(finished.wait(10000));
        QStringList got;
        for (std::size_t i = 0; i < sites.size(); ++i) {
            const CheckedLink *link = run.results().find(sites.at(i).GetUrl());
            got << told[int(i)] + u'/' + (link ? LinkStatusName(link->result.status) : QStringLiteral("-"));
        }
        EXPECT_EQ(got.join(u' ').toStdString(), outcomes);
        EXPECT_EQ(run.wasOffline(), offline);
        EXPECT_EQ(run.networkFailed(), offline);
    }
}

} // namespace
