// Load and Save of whole registers at 1 000, 10 000 and 100 000 records.
#include "BenchRegister.h"
#include "SiteStore.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

void Load(benchmark::State &state)
{
    BenchRegister reg(int(state.range(0)));
    std::size_t heapBytes = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        SiteStore store;
        if (!store.Load())
            state.SkipWithError("load failed");
        heapBytes = mallinfo2().uordblks - before;
        benchmark::DoNotOptimize(store.m_sites.size());
    }
    // Memory the loaded register holds, against the size of its files.
    state.counters["heap_per_disk"] = double(heapBytes) / double(reg.contentBytes());
    state.counters["disk_MB"] = double(reg.contentBytes()) / 1e6;
}

void SaveUnchanged(benchmark::State &state)
{
    BenchRegister reg(int(state.range(0)));
    SiteStore store;
    store.Load();
    for (auto _ : state) {
        if (!store.Save())
            state.SkipWithError("save failed");
    }
}

void SaveAllChanged(benchmark::State &state)
{
    BenchRegister reg(int(state.range(0)));
    SiteStore store;
    store.Load();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QByteArray mark = QByteArray::number(++round);
        SiteList changed;
        for (SiteRecord record : store.m_sites) {
            record.m_content = mark + record.m_content.mid(mark.size());
            changed.push_back(record);
        }
        store.m_sites = changed;
        state.ResumeTiming();
        if (!store.Save())
            state.SkipWithError("save failed");
    }
}

} // namespace

BENCHMARK(Load)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveUnchanged)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveAllChanged)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
