// 公開 with its upload, as the window and sitekanri-cli publish --upload make it, against the
// tests' own servers on 127.0.0.1 (OpenSSH's sshd, pyftpdlib with TLS): 100 pages of a site that
// all change (planned, written, each sent under a temporary and renamed over the last), and the
// same publish when nothing changed (no page written, no server asked).
#include "BenchRegister.h"
#include "FakeEdges.h"
#include "LocalServers.h"
#include "Publication.h"
#include "RegionCode.h"
#include "SecretKeeper.h"
#include "UploadRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kPages = 100;
constexpr int kSites = 40; // each page lists them all: about 6 KiB a page

struct Bench
{
    std::unique_ptr<LocalServer> local;
    UploadServer server;
    QTemporaryDir site, state;
    FakeEdges edges;
    SecretKeeper secrets{SecretKeeper::Store::SessionOnly};
    std::vector<PageEntry> entries;
    SiteList sites = MakeBenchSites(kSites);
    int round = 0;
    // Where the time went, over every run: the publish (planned and written) and the upload.
    qint64 publishNs = 0, uploadNs = 0;

    QString start(bool sftp)
    {
        if (sftp)
            local = std::make_unique<SshServer>();
        else
            local = std::make_unique<FtpServer>(true);
        if (const QString why = local->start(); !why.isEmpty())
            return why;
        server = local->uploadServer();
        server.siteFolder = site.path();
        edges.secrets = {FtpServer::password()};
        for (int i = 0; i < kPages; ++i) {
            const QString path = site.filePath(QStringLiteral("kw%1/page%2.html").arg(i % 10).arg(i));
            QDir().mkpath(QFileInfo(path).path());
            QFile page(path);
            if (!page.open(QIODevice::WriteOnly)
                || page.write("<!DOCTYPE html>\n<meta charset=\"utf-8\">\n<!-- sitekanri mode=\"name-and-content\" -->\n"
                              "<!-- /sitekanri -->\n") < 0)
                return QStringLiteral("cannot write the pages");
            entries.push_back({PageEntry::Kind::Marked, path, {}, {}});
        }
        change();
        return publishAndUpload() == kPages ? QString() : QStringLiteral("the first upload failed");
    }

    // One site renamed: every page lists it.
    void change()
    {
        SiteRecord first = sites.at(0);
        first.SetName(QByteArray("site ") + QByteArray::number(++round));
        sites.replace(0, first);
    }

    // Publishes and uploads what the publish leaves; the number of files sent.
    int publishAndUpload()
    {
        QElapsedTimer clock;
        clock.start();
        Publication publication = Publication::plan(entries, LinkSource(sites, {}, QDate(2026, 12, 9)));
        publication.write();
        publishNs += clock.nsecsElapsed();
        clock.restart();
        QStringList files;
        for (const SiteFile &file : publication.filesToUpload())
            files << file.path;
        UploadRun run(server, UploadRun::itemsOf(server, files), edges, secrets,
                      {state.filePath(QStringLiteral("known_hosts")), state.path()});
        run.run();
        uploadNs += clock.nsecsElapsed();
        server = run.server();
        int sent = 0;
        for (const UploadLine &line : run.lines())
            sent += line.outcome == UploadOutcome::Sent;
        return run.succeeded() ? sent : -1;
    }
};

void PublishAndUpload(benchmark::State &state, bool sftp, bool changed)
{
    Bench bench;
    if (const QString why = bench.start(sftp); !why.isEmpty()) {
        state.SkipWithError(why.toUtf8().constData());
        return;
    }
    bench.publishNs = bench.uploadNs = 0;
    for (auto _ : state) {
        if (changed)
            bench.change();
        if (bench.publishAndUpload() != (changed ? kPages : 0))
            state.SkipWithError("not every changed page went, or an unchanged one did");
    }
    state.counters["pages/s"] = benchmark::Counter(double(kPages) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["publish_ms"] = double(bench.publishNs) / 1e6 / double(state.iterations());
    state.counters["upload_ms"] = double(bench.uploadNs) / 1e6 / double(state.iterations());
}

BENCHMARK_CAPTURE(PublishAndUpload, sftp_100_changed, true, true)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PublishAndUpload, ftps_100_changed, false, true)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PublishAndUpload, sftp_nothing_changed, true, false)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PublishAndUpload, ftps_nothing_changed, false, false)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
