// The results file beside the register, and `sitekanri-cli check` end to end.
#include "LinkResults.h"
#include "LocalHttpServer.h"
#include "TempRegister.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Saved and loaded again, the results of the registered URLs come back, and only those; whatever is
// wrong with the file, none of it is taken. Two sites share a URL that needs every escape; one
// result belongs to no site any more.
TEST(LinkResults, saveThenLoad_keepsRegisteredUrlsOnly_damagedFileIgnored)
{
    TempRegister dir;
    SiteList sites;
    sites.push_back(MakeRecord("表\\ソ", "http://例え.jp/表\tソ\\n"));
    sites.push_back(MakeRecord("b", "http://b.example/"));
    sites.push_back(MakeRecord("c", "http://例え.jp/表\tソ\\n"));
    const QDateTime at(QDate(2026, 12, 7), QTime(5, 30, 1), Qt::UTC);
    const QString moved = QStringLiteral("http://xn--r8jz45g.jp/new");
    LinkResults results;
    results.record(sites.at(0).GetUrl(), {{LinkStatus::Moved, 200, moved, moved, QStringLiteral("移転")}, at});
    results.record(sites.at(1).GetUrl(), {{LinkStatus::Gone, 404, QStringLiteral("http://b.example/"), {}, {}}, at});
    results.record(Sjis("http://removed.example/"), {{LinkStatus::Ok, 200, {}, {}, {}}, at});
    ASSERT_TRUE(results.save(sites));
    LinkResults reloaded;
    ASSERT_TRUE(reloaded.load());
    EXPECT_EQ(reloaded.size(), 2);
    for (const QByteArray &url : {sites.at(0).GetUrl(), sites.at(1).GetUrl()}) {
        ASSERT_NE(reloaded.find(url), nullptr);
        EXPECT_EQ(reloaded.find(url)->result, results.find(url)->result);
        EXPECT_EQ(reloaded.find(url)->checkedAt, results.find(url)->checkedAt);
    }

    const QByteArray good = dir.read(LinkResults::kFileName);
    const char *damages[][2] = {{"\tgone\t", "\tdead\t"}, {"\t404\t", "\tfour\t"}, {"2026-12-07T", "yesterday-"},
                                {"linkcheck 1", "linkcheck 2"}, {"\\t", "\\x"}, {"\t404\t", "\t404\t\t"},
                                {"\t404\t", "\t"}, {"\t\t\n", "\t\t"}};
    for (const auto &damage : damages) {
        ASSERT_TRUE(good.contains(damage[0]));
        dir.write(LinkResults::kFileName, QByteArray(good).replace(damage[0], damage[1]));
        EXPECT_FALSE(reloaded.load()) << damage[1];
        EXPECT_EQ(reloaded.size(), 0);
    }
}

// Results two computers kept apart, set aside by a sync tool as copies, are merged on load: the
// newest result of each URL, every URL either had; the copies go. A copy that is not whole stays.
TEST(LinkResults, copiesAreMergedNewestFirstAndGo)
{
    TempRegister dir;
    const QDateTime early(QDate(2026, 12, 1), QTime(0, 0), Qt::UTC), late = early.addDays(1);
    const auto file = [](std::initializer_list<std::pair<const char *, std::pair<LinkStatus, QDateTime>>> rows) {
        SiteList sites;
        LinkResults results;
        for (const auto &[url, result] : rows) {
            sites.push_back(MakeRecord("s", url));
            results.record(Sjis(url), {{result.first, result.first == LinkStatus::Gone ? 404 : 200, {}, {}, {}}, result.second});
        }
        return results.save(sites) ? ReadFile(LinkResults::defaultPath()) : QByteArray();
    };
    const QString copy = QStringLiteral("linkcheck.sync-conflict-20261207-144956-QBVMNFJ.tsv");
    const QString broken = QStringLiteral("linkcheck (conflicted copy 2026-12-07 144956).tsv");
    dir.write(copy, file({{"http://a/", {LinkStatus::Gone, late}}, {"http://b/", {LinkStatus::Gone, early}}, {"http://c/", {LinkStatus::Ok, early}}}));
    dir.write(LinkResults::kFileName, file({{"http://a/", {LinkStatus::Ok, early}}, {"http://b/", {LinkStatus::Ok, late}}}));
    dir.write(broken, "not results\n");
    LinkResults merged;
    ASSERT_TRUE(merged.load());
    ASSERT_EQ(merged.size(), 3);
    EXPECT_EQ(merged.find(Sjis("http://a/"))->result.status, LinkStatus::Gone);
    EXPECT_EQ(merged.find(Sjis("http://b/"))->result.status, LinkStatus::Ok);
    EXPECT_FALSE(dir.exists(copy));
    EXPECT_TRUE(dir.exists(broken));
    LinkResults again;
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.size(), 3) << "the merged results were not written";
}

// Lines come in register order although the first site answers late, each as soon as it and every
// line before it are known, while the last site keeps the check going; on a terminal a progress
// line runs on stderr, wiped before each result line, in a pipe none. A damaged results file does
// not stop the check and is replaced by a sound one.
TEST(CliCheck, printsInRegisterOrderAsLinesComeWithProgressOnATerminalOnly)
{
    TempRegister dir;
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    server.setHandler([](const LocalHttpServer::Request &request) {
        return LocalHttpServer::Answer(request.path == "/gone" ? 404 : 200, request.path == "/slow" ? 100 : request.path == "/last" ? 1000 : 0);
    });
    const QByteArray base = server.base().toUtf8();
    WriteRegister(dir.path(), {MakeRecord("遅い", base + "/slow", "k"), MakeRecord("other", base + "/skipped", "x"),
                               MakeRecord("無い", base + "/gone", "k"), MakeRecord("mail", "mailto:a@example.jp", "k"),
                               MakeRecord("最後", base + "/last", "k")});
    dir.write(LinkResults::kFileName, "not ours\n");
    for (const bool terminal : {false, true}) {
        QProcess cli;
        bool lastSiteStillAsked = false; // when the first line came
        QObject::connect(&cli, &QProcess::readyReadStandardOutput, [&] {
            if (cli.peek(1 << 16).contains("遅い"))
                lastSiteStillAsked = lastSiteStillAsked || server.inFlight() > 0;
        });
        // On a terminal, script(1) gives the program one and copies it to its own stdout. The event
        // loop turns meanwhile, since the server answers from this process's.
        const QStringList arguments{QStringLiteral("--dir"), dir.path(), QStringLiteral("check"), QStringLiteral("--keyword=k"),
                                    terminal ? QStringLiteral("--format=tsv") : QStringLiteral("--format=json")};
        if (terminal)
            cli.start(QStringLiteral("script"), {QStringLiteral("-qefc"), QStringLiteral(SITEKANRI_CLI_PATH " ") + arguments.join(u' '), QStringLiteral("/dev/null")});
        else
            cli.start(QStringLiteral(SITEKANRI_CLI_PATH), arguments);
        ASSERT_TRUE(QTest::qWaitFor([&] { return cli.state() == QProcess::NotRunning; }, 30000));
        ASSERT_EQ(cli.exitCode(), 0) << terminal;
        EXPECT_TRUE(lastSiteStillAsked) << terminal;
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        EXPECT_EQ((out + err).contains(QStringLiteral("\r確認中 1 / 4 件")), terminal) << (out + err).toStdString();
        EXPECT_EQ((out + err).contains(QStringLiteral("\r\x1b[K1\t遅い\t")), terminal) << (out + err).toStdString();
        if (terminal)
            continue;
        EXPECT_TRUE(err.contains(LinkResults::kFileName)) << err.toStdString();
        EXPECT_EQ(out.count(QStringLiteral(",\"message\":\"")), 4);
        EXPECT_EQ(QString(out).remove(QRegularExpression(QStringLiteral(",\"message\":\"[^\"]+\""))).toStdString(),
                  QStringLiteral(R"({"id":1,"name":"遅い","url":"%1/slow","status":"ok","code":200,"final_url":"%1/slow"}
{"id":3,"name":"無い","url":"%1/gone","status":"gone","code":404,"final_url":"%1/gone"}
{"id":4,"name":"mail","url":"mailto:a@example.jp","status":"invalid","code":0,"final_url":"mailto:a@example.jp"}
{"id":5,"name":"最後","url":"%1/last","status":"ok","code":200,"final_url":"%1/last"}
)").arg(server.base()).toStdString());
        LinkResults saved;
        ASSERT_TRUE(saved.load());
        EXPECT_EQ(saved.size(), 4);
    }
}

} // namespace
