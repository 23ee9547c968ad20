// The link check over many URLs on a local server that answers each request after a pause:
// how close the checker comes to the time its limits allow, and how its memory grows with the
// length of the list. Run each size in a process of its own (--benchmark_filter) for the peak
// RSS to be that size's.
#include "LinkChecker.h"
#include "LocalHttpServer.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>

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

} // namespace

BENCHMARK(CheckLinks)->Args({1000, 100})->Args({10000, 100})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
