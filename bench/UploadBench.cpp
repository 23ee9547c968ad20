// Uploading the pages of a site to real servers on 127.0.0.1 (OpenSSH's sshd, pyftpdlib with
// TLS): 100 changed pages of 6 KiB each, replacing those already there, and a run of the same
// 100 where nothing changed (which asks no server anything).
#include "FakeEdges.h"
#include "LocalServers.h"
#include "SecretKeeper.h"
#include "UploadRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kPages = 100;

struct Bench
{
    std::unique_ptr<LocalServer> local;
    UploadServer server;
    QTemporaryDir site, state;
    FakeEdges edges;
    SecretKeeper secrets{SecretKeeper::Store::SessionOnly};
    QList<UploadItem> items;
    int round = 0;

    QString start(bool sftp)
    {
        if (sftp)
            local = std::make_unique<SshServer>();
        else
            local = std::make_unique<FtpServer>(true);
        if (const QString why = local->start(); !why.isEmpty())
            return why;
        server = local->uploadServer();
        edges.secrets = {FtpServer::password()};
        for (int i = 0; i < kPages; ++i) {
            const QString path = QStringLiteral("kw%1/page%2.html").arg(i % 10).arg(i);
            items.append({site.filePath(path), path});
        }
        writePages();
        return upload() ? QString() : QStringLiteral("the first upload failed");
    }

    void writePages()
    {
        ++round;
        for (const UploadItem &item : std::as_const(items)) {
            QDir().mkpath(QFileInfo(item.localPath).path());
            QFile file(item.localPath);
            file.open(QIODevice::WriteOnly);
            file.write(QByteArray(6 * 1024, 'a' + round % 26));
        }
    }

    bool upload()
    {
        UploadRun run(server, items, edges, secrets, {state.filePath(QStringLiteral("known_hosts")), state.path()});
        run.run();
        server = run.server();
        return run.succeeded();
    }
};

void Upload(benchmark::State &state, bool sftp, bool changed)
{
    Bench bench;
    if (const QString why = bench.start(sftp); !why.isEmpty()) {
        state.SkipWithError(why.toUtf8().constData());
        return;
    }
    for (auto _ : state) {
        if (changed) {
            state.PauseTiming();
            bench.writePages();
            state.ResumeTiming();
        }
        if (!bench.upload())
            state.SkipWithError("an upload failed");
    }
    state.counters["pages/s"] = benchmark::Counter(double(kPages) * double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(Upload, sftp_100_changed, true, true)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Upload, ftps_100_changed, false, true)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Upload, sftp_nothing_changed, true, false)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Upload, ftps_nothing_changed, false, false)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
