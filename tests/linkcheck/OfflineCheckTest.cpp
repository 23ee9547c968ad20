// `sitekanri-cli check` in a network of its own (a network namespace with nothing but loopback:
// no route out) whose resolv.conf (in a mount namespace) names a resolver out of reach, or a
// fake one on loopback that answers every lookup SERVFAIL or NXDOMAIN. Only NXDOMAIN is a
// verdict: the rest leave the last results as they were and say once that there is no network.
#include "LinkResults.h"
#include "SiteList.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

namespace {

struct OfflineCase
{
    const char *name;
    const char *nameserver;
    int rcode; // of the fake resolver; 0: none runs
    QStringList urls;
    const char *stored; // the results file afterwards: "url status|…"
    bool warned;        // "ネットワークに接続できません", once
    int exitCode;
};

TEST(OfflineCheck, onlyAResolversNoSuchNameStoresASiteAsDead)
{
    const ProgramRun probe = RunProgram(QStringLiteral("unshare"), {QStringLiteral("-rnm"), QStringLiteral("true")});
    if (probe.exitCode != 0)
        GTEST_SKIP() << "needs user, network and mount namespaces (unshare -rnm): " << probe.err.toStdString();
    const QString gone = QStringLiteral("http://gone.example/");
    const OfflineCase cases[] = {
        {"resolverOutOfReach", "192.0.2.1", 0, {gone}, "http://gone.example/ ok", true, 1},
        {"everyLookupFails", "127.0.0.1", 2, {gone, QStringLiteral("http://other.example/")}, "http://gone.example/ ok", true, 1},
        {"noSuchName", "127.0.0.1", 3, {gone}, "http://gone.example/ no_host", false, 0},
        {"noSuchNameWhileNoRouteOut", "127.0.0.1", 3, {gone, QStringLiteral("http://192.0.2.1/")}, "http://gone.example/ ok", true, 1},
    };
    for (const OfflineCase &c : cases) {
        SCOPED_TRACE(c.name);
        TempRegister reg;
        std::vector<SiteRecord> records;
        for (const QString &url : c.urls)
            records.push_back(MakeRecord("site", url.toLatin1().constData()));
        WriteRegister(reg.path(), records);
        // What an earlier check, made online, found.
        LinkResults earlier;
        earlier.record(gone.toLatin1(), {{LinkStatus::Ok, 200, gone, {}, {}}, QDateTime::currentDateTimeUtc()});
        ASSERT_TRUE(earlier.save(reg.file(LinkResults::kFileName), ReadRegister(reg.path())));
        reg.write(QStringLiteral("resolv.conf"), "nameserver " + QByteArray(c.nameserver) + "\noptions timeout:1 attempts:1\n");

        QStringList command{QStringLiteral("-rnm"), QStringLiteral("sh"), QStringLiteral("-c"),
                            QStringLiteral("mount --bind \"$0\" /etc/resolv.conf && ip link set lo up || exit 97; exec \"$@\""),
                            reg.file(QStringLiteral("resolv.conf"))};
        if (c.rcode)
            command << QStringLiteral("python3") << QStringLiteral(TEST_DATA "/fake_resolver.py") << QString::number(c.rcode);
        command << QStringLiteral(SITEKANRI_CLI_PATH) << QStringLiteral("--dir") << reg.path() << QStringLiteral("check");
        const ProgramRun run = RunProgram(QStringLiteral("unshare"), command);
        if (run.exitCode == 97)
            GTEST_SKIP() << "cannot make the test network (mount --bind, ip link): " << run.err.toStdString();
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_EQ(QString::fromUtf8(run.err).count(QStringLiteral("ネットワークに接続できません")), c.warned ? 1 : 0)
            << run.err.toStdString();

        LinkResults after;
        ASSERT_TRUE(after.load(reg.file(LinkResults::kFileName)));
        QStringList stored;
        for (const QString &url : c.urls) {
            if (const CheckedLink *link = after.find(url.toLatin1()))
                stored << url + u' ' + LinkStatusName(link->result.status);
        }
        EXPECT_EQ(stored.join(u'|').toStdString(), c.stored) << run.out.toStdString();
    }
}

} // namespace
