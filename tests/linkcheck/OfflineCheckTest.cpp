// `sitekanri-cli check` in a network of its own (a network namespace with nothing but loopback:
// no route out) whose resolv.conf (in a mount namespace) names a resolver out of reach, or a
// fake one on loopback that answers every lookup SERVFAIL or NXDOMAIN, or never answers (longer
// than the check waits). Only NXDOMAIN while some host answers (one on loopback) is a verdict:
// NXDOMAIN for every name is what many offline networks answer. The rest leave the last results
// as they were and say once that there is no network.
#include "LinkResults.h"
#include "SiteList.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

namespace {

TEST(OfflineCheck, onlyANoSuchNameAmongAnsweringHostsStoresASiteAsDead)
{
    const ProgramRun probe = RunProgram(QStringLiteral("unshare"), {QStringLiteral("-rnm"), QStringLiteral("true")});
    if (probe.exitCode != 0)
        GTEST_SKIP() << "needs user, network and mount namespaces (unshare -rnm): " << probe.err.toStdString();
    const char *gone = "http://gone.example/";
    // The nameserver, the fake resolver's code (-1: silent; 0: none runs), a second site, what the
    // results file holds for `gone` afterwards, whether the run said there is no network.
    const std::tuple<const char *, int, const char *, const char *, bool> cases[] = {
        {"192.0.2.1", 0, "", "ok", true},
        {"127.0.0.1", 2, "http://other.example/", "ok", true},
        {"127.0.0.1", -1, "", "ok", true},
        {"127.0.0.1", 3, "", "ok", true},
        {"127.0.0.1", 3, "http://127.0.0.1:9/", "no_host", false}, // a host answers (refuses)
        {"127.0.0.1", 3, "http://192.0.2.1/", "ok", true}, // no route out: nothing reached
    };
    for (const auto &[nameserver, rcode, other, stored, warned] : cases) {
        SCOPED_TRACE(std::string(nameserver) + " answering " + std::to_string(rcode) + " " + other);
        TempRegister reg;
        WriteRegister(reg.path(), {MakeRecord("gone", gone), MakeRecord("other", *other ? other : gone)});
        // What an earlier check, made online, found.
        LinkResults earlier;
        earlier.record(gone, {{LinkStatus::Ok, 200, QString::fromLatin1(gone), {}, {}}, QDateTime::currentDateTimeUtc()});
        ASSERT_TRUE(earlier.save(reg.file(LinkResults::kFileName), ReadRegister(reg.path())));
        reg.write(QStringLiteral("resolv.conf"), "nameserver " + QByteArray(nameserver) + "\noptions timeout:3 attempts:1\n");
        QStringList command{QStringLiteral("-rnm"), QStringLiteral("sh"), QStringLiteral("-c"),
                            QStringLiteral("mount --bind \"$0\" /etc/resolv.conf && ip link set lo up || exit 97; exec \"$@\""),
                            reg.file(QStringLiteral("resolv.conf"))};
        if (rcode)
            command << QStringLiteral("python3") << QStringLiteral(TEST_DATA "/fake_resolver.py") << QString::number(rcode);
        command << QStringLiteral(SITEKANRI_CLI_PATH) << QStringLiteral("--dir") << reg.path() << QStringLiteral("check")
                << QStringLiteral("--timeout") << QStringLiteral("1");
        const ProgramRun run = RunProgram(QStringLiteral("unshare"), command);
        if (run.exitCode == 97)
            GTEST_SKIP() << "cannot make the test network (mount --bind, ip link): " << run.err.toStdString();
        EXPECT_EQ(run.exitCode, warned ? 1 : 0) << run.err.toStdString();
        EXPECT_EQ(QString::fromUtf8(run.err).count(QStringLiteral("ネットワークに接続できません")), warned ? 1 : 0);
        LinkResults after;
        ASSERT_TRUE(after.load(reg.file(LinkResults::kFileName)));
        const CheckedLink *link = after.find(gone);
        EXPECT_EQ(link ? LinkStatusName(link->result.status) : QString(), QString::fromLatin1(stored)) << run.out.toStdString();
        EXPECT_EQ(after.size(), *other && !warned ? 2 : 1) << "nothing stored of the other site";
        // Not checked, every line says so; none says the host is gone.
        EXPECT_EQ(run.out.contains("\tno_host\t"), !warned) << run.out.toStdString();
    }
}

} // namespace
