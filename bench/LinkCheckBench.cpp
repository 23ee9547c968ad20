// The link check over many URLs on a local server that answers each request after a pause:
// how close the checker comes to the time its limits allow, and how its memory grows with the
// length of the list. Run each size in a process of its own (--benchmark_filter) for the peak
// RSS to be that size's. Also: how fast a cancel closes what is in flight, and how little memory
// a check of a server that never stops sending takes.
#include "LinkChecker.h"
#include "LocalHttpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>

#include <benchmark/benchmark.h>

#include <algorithm>

#include <sys/resource.h>

namespace {

constexpr int kHosts = 50;

// Args: URLs, pause before each answer (ms).
void CheckLinks(benchmark::State &state)
{
    const int count = int(state.range(0));
    const int pauseMs = int(state.range(1));
    LocalHttpServer server(kHosts);
    if (!server.isListening()) {
        state.SkipWithError("cannot listen on 127.0.0.1-50");
        return;
    }
    server.setHandler([pauseMs](const LocalHttpServer::Request &) { return LocalHttpServer::Answer(200, pauseMs); });
    int okCount = 0;
    for (auto _ : state) {
        std::vector<LinkJob> jobs;
        jobs.reserve(std::size_t(count));
        for (int i = 0; i < count; ++i)
            jobs.push_back({i, server.base(1 + i % kHosts) + QStringLiteral("/page/%1").arg(i)});
        LinkChecker checker; // the defaults: 16 in all, 2 per host, 10 s per request
        QObject::connect(&checker, &LinkChecker::linkChecked, [&](int, const LinkResult &result) {
            okCount += result.status == LinkStatus::Ok;
        });
        QEventLoop loop;
        QObject::connect(&checker, &LinkChecker::finished, &loop, &QEventLoop::quit);
        checker.start(std::move(jobs));
        loop.exec();
    }
    if (okCount != count * int(state.iterations()))
        state.SkipWithError("not every URL was found ok");
    const LinkCheckSettings defaults;
    const int inFlight = std::min(defaults.jobs, defaults.perHost * kHosts);
    const double bestSeconds = double((count + inFlight - 1) / inFlight) * pauseMs / 1000.0;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["best_s"] = bestSeconds;
    state.counters["max_in_flight"] = server.maxInFlight();
    state.counters["max_per_host"] = server.maxInFlightPerHost();
    state.counters["peak_rss_MiB"] = double(usage.ru_maxrss) / 1024.0;
}

// A cancel with 16 requests in flight to servers that never answer: the time until the last
// connection is closed (aim: 100 ms).
void CancelChecks(benchmark::State &state)
{
    LocalHttpServer server(10);
    server.setHandler([](const LocalHttpServer::Request &) { return LocalHttpServer::Answer(0, 0, LocalHttpServer::Answer::Never); });
    double slowestMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<LinkJob> jobs;
        for (int i = 0; i < 40; ++i)
            jobs.push_back({i, server.base(1 + i % 10) + QStringLiteral("/%1").arg(i)});
        LinkChecker checker;
        checker.start(std::move(jobs));
        while (server.inFlight() < 16)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        checker.cancel();
        while (server.openConnections() > 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
        slowestMs = std::max(slowestMs, clock.nsecsElapsed() / 1e6);
    }
    state.counters["slowest_cancel_ms"] = slowestMs;
}

// The peak resident memory since the last reset, in KiB (0 where the system does not tell).
long peakKiB(bool reset)
{
    if (reset) {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
    }
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    const QByteArray text = status.readAll();
    const int at = text.indexOf("VmHWM:");
    return at < 0 ? 0 : text.mid(at + 6, text.indexOf('\n', at) - at - 6).trimmed().split(' ').value(0).toLong();
}

// One check of a server that never stops sending (arg: 0 an endless body, 1 endless gzip members
// of zeros, 2 header lines without end): the growth of the peak resident memory, which should be
// little more than a status line and headers (aim: under 32 MiB).
void HostileAnswerMemory(benchmark::State &state)
{
    using Answer = LocalHttpServer::Answer;
    const Answer::Kind kinds[] = {Answer::EndlessBody, Answer::GzipBomb, Answer::Flood};
    const Answer::Kind kind = kinds[state.range(0)];
    LocalHttpServer server;
    // To HEAD a refusal, so that the body comes to a GET.
    server.setHandler([kind](const LocalHttpServer::Request &request) {
        return request.method == "HEAD" && kind != Answer::Flood ? Answer(405) : Answer(200, 0, kind);
    });
    long grownKiB = 0;
    for (auto _ : state) {
        const long before = peakKiB(true);
        LinkChecker checker;
        checker.setSettings({16, 2, 400, 10});
        QEventLoop loop;
        QObject::connect(&checker, &LinkChecker::finished, &loop, &QEventLoop::quit);
        checker.start({{1, server.base() + QStringLiteral("/a")}});
        loop.exec();
        grownKiB = std::max(grownKiB, peakKiB(false) - before);
    }
    state.counters["peak_growth_MiB"] = double(grownKiB) / 1024.0;
}

} // namespace

BENCHMARK(CancelChecks)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(HostileAnswerMemory)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CheckLinks)->Args({1000, 100})->Args({10000, 100})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
