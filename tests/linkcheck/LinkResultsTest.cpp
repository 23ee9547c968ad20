// The results file beside the register, and `sitekanri-cli check` end to end.
#include "LinkResults.h"
#include "LocalHttpServer.h"
#include "SiteStore.h"
#include "TempRegister.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

CheckedLink checked(LinkStatus status, int code, const char *finalUrl)
{
    const QString url = QString::fromUtf8(finalUrl);
    return {{status, code, url, status == LinkStatus::Moved ? url : QString(), LinkMessage(status, code)},
            QDateTime(QDate(2026, 12, 7), QTime(5, 30, 1), Qt::UTC)};
}

// Two sites share a URL that needs every escape; one result belongs to no site any more.
SiteList savedResults(const TempRegister &, LinkResults &results)
{
    SiteList sites;
    sites.push_back(MakeRecord("表\\ソ", "http://例え.jp/表\tソ\\n"));
    sites.push_back(MakeRecord("b", "http://b.example/"));
    sites.push_back(MakeRecord("c", "http://例え.jp/表\tソ\\n"));
    results.record(sites.at(0).m_url, checked(LinkStatus::Moved, 200, "http://xn--r8jz45g.jp/new"));
    results.record(sites.at(1).m_url, checked(LinkStatus::Gone, 404, "http://b.example/"));
    results.record(Sjis("http://removed.example/"), checked(LinkStatus::Ok, 200, "http://removed.example/"));
    EXPECT_TRUE(results.save(sites));
    return sites;
}

TEST(LinkResults, saveThenLoad_keepsRegisteredUrlsOnly)
{
    TempRegister dir;
    LinkResults results;
    const SiteList sites = savedResults(dir, results);
    LinkResults reloaded;
    ASSERT_TRUE(reloaded.load());
    EXPECT_EQ(reloaded.size(), 2);
    for (const QByteArray &url : {sites.at(0).m_url, sites.at(1).m_url}) {
        ASSERT_NE(reloaded.find(url), nullptr);
        EXPECT_EQ(reloaded.find(url)->result, results.find(url)->result);
        EXPECT_EQ(reloaded.find(url)->checkedAt, results.find(url)->checkedAt);
    }
    EXPECT_EQ(reloaded.find(Sjis("http://removed.example/")), nullptr);
}

// Whatever is wrong with the file, none of it is taken.
TEST(LinkResults, damagedFile_ignored)
{
    TempRegister dir;
    LinkResults results;
    savedResults(dir, results);
    const QByteArray good = dir.read(LinkResults::kFileName);
    const std::pair<QByteArray, QByteArray> damages[] = {
        {"\tgone\t", "\tdead\t"},     {"\t404\t", "\tfour\t"},   {"2026-12-07T", "yesterday-"},
        {"sitekanri linkcheck 1", "sitekanri linkcheck 2"},   {"\\t", "\\x"},
        {"\t404\t", "\t404\t\t"},     {"\t404\t", "\t"},
    };
    for (const auto &[from, to] : damages) {
        QByteArray bad = good;
        ASSERT_TRUE(bad.contains(from));
        dir.write(LinkResults::kFileName, bad.replace(from, to));
        EXPECT_FALSE(results.load()) << to.toStdString();
        EXPECT_EQ(results.size(), 0);
    }
    dir.write(LinkResults::kFileName, good.left(good.size() - 1)); // cut short
    EXPECT_FALSE(results.load());
    dir.write(LinkResults::kFileName, good);
    EXPECT_TRUE(results.load());
}

ProgramRun runCheck(const QString &dir, QStringList arguments)
{
    QProcess process;
    process.start(QStringLiteral(SITEKANRI_CLI_PATH), QStringList{QStringLiteral("--dir"), dir} + arguments);
    // The server answers from this process's event loop, so the wait must keep it turning.
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    ProgramRun run;
    if (process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    process.kill();
    process.waitForFinished();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// Lines come in register order although the first site answers last; a damaged results file
// does not stop the check and is replaced by a sound one.
TEST(CliCheck, printsInRegisterOrder_savesResults)
{
    TempRegister dir;
    LocalHttpServer server;
    ASSERT_TRUE(server.isListening());
    server.setHandler([](const LocalHttpServer::Request &request) {
        return request.path == "/slow" ? LocalHttpServer::Answer::after(300) : LocalHttpServer::Answer::after(0, 404);
    });
    const QByteArray base = server.base().toUtf8();
    SiteStore store;
    store.m_sites.push_back(MakeRecord("遅い", base + "/slow", "k"));
    store.m_sites.push_back(MakeRecord("other", base + "/skipped", "x"));
    store.m_sites.push_back(MakeRecord("無い", base + "/gone", "k"));
    store.m_sites.push_back(MakeRecord("mail", "mailto:a@example.jp", "", "k"));
    ASSERT_TRUE(store.Save());
    dir.write(LinkResults::kFileName, "not ours\n");

    const ProgramRun run = runCheck(dir.path(), {QStringLiteral("check"), QStringLiteral("--keyword"),
                                                 QStringLiteral("k"), QStringLiteral("--format"), QStringLiteral("json")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(LinkResults::kFileName.toUtf8()));
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3) << run.out.toStdString();
    const struct
    {
        int id;
        const char *name, *status;
        int code;
        QByteArray finalUrl;
    } expected[] = {{1, "遅い", "ok", 200, base + "/slow"},
                    {3, "無い", "gone", 404, base + "/gone"},
                    {4, "mail", "invalid", 0, "mailto:a@example.jp"}};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject line = QJsonDocument::fromJson(lines[i]).object();
        EXPECT_EQ(line.value(QStringLiteral("id")).toInt(), expected[i].id);
        EXPECT_EQ(line.value(QStringLiteral("name")).toString(), QString::fromUtf8(expected[i].name));
        EXPECT_EQ(line.value(QStringLiteral("status")).toString(), QLatin1String(expected[i].status));
        EXPECT_EQ(line.value(QStringLiteral("code")).toInt(), expected[i].code);
        EXPECT_EQ(line.value(QStringLiteral("final_url")).toString().toUtf8(), expected[i].finalUrl);
        EXPECT_EQ(line.value(QStringLiteral("url")).toString().toUtf8(), expected[i].finalUrl);
        EXPECT_FALSE(line.value(QStringLiteral("message")).toString().isEmpty());
    }
    LinkResults saved;
    ASSERT_TRUE(saved.load());
    EXPECT_EQ(saved.size(), 3);
    ASSERT_NE(saved.find(store.m_sites.at(2).m_url), nullptr);
    EXPECT_EQ(saved.find(store.m_sites.at(2).m_url)->result.code, 404);
}

TEST(CliCheck, badOptions_usageError)
{
    TempRegister dir;
    for (const char *option : {"--jobs=0", "--jobs=x", "--timeout=0", "--timeout=-1", "--format=xml"}) {
        const ProgramRun run = runCheck(dir.path(), {QStringLiteral("check"), QString::fromUtf8(option)});
        EXPECT_EQ(run.exitCode, 2) << option;
    }
}

} // namespace
