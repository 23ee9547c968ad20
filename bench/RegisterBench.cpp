// Loading whole registers, and the three register operations on the first record, at 1 000,
// 10 000 and 100 000 records. Each operation is on disk when it returns (its files flushed), so
// the operations are timed by the clock on the wall, flushes included.
#include "AppDirectory.h"
#include "BenchRegister.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"

#include <QCoreApplication>
#include <QFile>

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

void Load(benchmark::State &state)
{
    BenchRegister reg(int(state.range(0)));
    std::size_t heapBytes = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        RegisterFolder folder(QFile::encodeName(AppDirectory()));
        Reading<LoadedRegister> loaded;
        loaded.io = folder.open(RegisterFolder::Missing::ReadsEmpty);
        if (loaded)
            loaded = RegisterFiles(folder).load();
        if (!loaded)
            state.SkipWithError("load failed");
        heapBytes = mallinfo2().uordblks - before;
        benchmark::DoNotOptimize(loaded.value.sites.size());
    }
    // Memory the loaded register holds, against the size of its files.
    state.counters["heap_per_disk"] = double(heapBytes) / double(reg.contentBytes());
    state.counters["disk_MB"] = double(reg.contentBytes()) / 1e6;
}

// The register open as a program that has loaded it holds it: the folder open and listed once.
struct OpenRegister
{
    explicit OpenRegister(int count)
        : reg(count)
        , folder(QFile::encodeName(reg.path()))
        , files(folder)
    {
        const Reading<LoadedRegister> loaded = files.load();
        if (!loaded)
            qFatal("could not load the benchmark register");
        first = loaded.value.sites.at(0);
    }
    BenchRegister reg;
    RegisterFolder folder;
    RegisterFiles files;
    SiteRecord first;
};

void Register(benchmark::State &state)
{
    OpenRegister open(int(state.range(0)));
    for (auto _ : state) {
        if (!open.files.add(open.first).done())
            state.SkipWithError("add failed");
    }
}

void UpdateFirst(benchmark::State &state)
{
    OpenRegister open(int(state.range(0)));
    SiteRecord current = open.first;
    int round = 0;
    for (auto _ : state) {
        SiteRecord changed = current;
        changed.SetContent(QByteArray::number(++round) + current.GetContent());
        if (!open.files.update(1, changed, current).done())
            state.SkipWithError("update failed");
        current = changed;
    }
}

void DeleteFirst(benchmark::State &state)
{
    OpenRegister open(int(state.range(0)));
    for (auto _ : state) {
        if (!open.files.remove(1, open.first).done())
            state.SkipWithError("delete failed");
        state.PauseTiming();
        open.files.restore(1, open.first);
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(Load)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Register)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(UpdateFirst)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DeleteFirst)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
