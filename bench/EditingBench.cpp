// The keyword list and the link code over large registers; the budget for each at 100 000
// sites is 50 ms.
#include "BenchRegister.h"
#include "KeywordList.h"
#include "LinkCode.h"

#include <QCoreApplication>
#include <QSet>

#include <benchmark/benchmark.h>

namespace {

// range(0) sites, range(1) distinct keywords in the pool they draw from.
void KeywordListBuild(benchmark::State &state)
{
    const SiteList sites = MakeBenchSites(int(state.range(0)), int(state.range(1)));
    std::size_t entries = 0;
    for (auto _ : state) {
        const KeywordList keywords = BuildKeywordList(sites);
        entries = keywords.size();
        benchmark::DoNotOptimize(keywords.data());
    }
    state.counters["entries"] = double(entries);
}

// range(0) sites, range(1) the mode; every site is written.
void LinkCodeBuild(benchmark::State &state)
{
    const SiteList sites = MakeBenchSites(int(state.range(0)));
    const auto mode = LinkCodeMode(state.range(1));
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray code = BuildLinkCode(sites, kAllKeywords, mode);
        bytes = code.size();
        benchmark::DoNotOptimize(code.constData());
    }
    state.counters["MB"] = double(bytes) / 1e6;
}

// A filter that only some sites carry: the comparisons dominate, the output is small.
void LinkCodeFiltered(benchmark::State &state)
{
    const SiteList sites = MakeBenchSites(int(state.range(0)));
    const QByteArray filter = sites.at(0).GetKeyword1();
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildLinkCode(sites, filter, LinkCodeMode::Name).constData());
}

// Every site written but one in ten left out as dead, looked up by URL as the window does.
void LinkCodeExcluding(benchmark::State &state)
{
    const SiteList sites = MakeBenchSites(int(state.range(0)));
    QSet<QByteArray> dead;
    for (std::size_t i = 0; i < sites.size(); i += 10)
        dead.insert(sites.at(i).GetUrl());
    const LinkExclusion leftOut = [&dead](const QByteArray &url) { return dead.contains(url); };
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildLinkCode(sites, kAllKeywords, LinkCodeMode::Name, leftOut).constData());
}

} // namespace

BENCHMARK(KeywordListBuild)
    ->Args({1000, 300})
    ->Args({10000, 3000})
    ->Args({100000, 300})
    ->Args({100000, 30000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(LinkCodeBuild)
    ->ArgsProduct({{1000, 10000, 100000},
                   {int(LinkCodeMode::Name), int(LinkCodeMode::Content), int(LinkCodeMode::NameAndContent)}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(LinkCodeFiltered)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(LinkCodeExcluding)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}