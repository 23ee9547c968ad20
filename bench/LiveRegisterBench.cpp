// The live register's operations at 10 000 and 100 000 records, each on disk (flushed) when it
// returns, and the time until a file another program changed shows in the list in memory.
#include "BenchRegister.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "RegisterWatcher.h"
#include "SiteRegister.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <benchmark/benchmark.h>

namespace {

SiteRecord Variant(int i)
{
    SiteRecord record = MakeBenchSites(1).at(0);
    record.SetName(record.GetName() + QByteArray::number(i));
    return record;
}

struct OpenRegister
{
    explicit OpenRegister(benchmark::State &state)
        : reg(int(state.range(0)))
        , live(QFile::encodeName(reg.path()))
    {
        if (!live.open())
            state.SkipWithError("the register did not load");
    }
    BenchRegister reg;
    SiteRegister live;
};

void Check(benchmark::State &state, const OperationResult &result)
{
    if (!result.done())
        state.SkipWithError(result.io.describe().toStdString().c_str());
}

void AddRecord(benchmark::State &state)
{
    OpenRegister r(state);
    int i = 0;
    for (auto _ : state)
        Check(state, r.live.add(Variant(++i)));
}

void UpdateFirstRecord(benchmark::State &state)
{
    OpenRegister r(state);
    int i = 0;
    for (auto _ : state)
        Check(state, r.live.update(r.live.sites().number(0), Variant(++i)));
}

void RemoveFirstRecord(benchmark::State &state)
{
    OpenRegister r(state);
    for (auto _ : state)
        Check(state, r.live.remove(r.live.sites().number(0)));
}

// From another program's update of one record to the list holding it: the watcher's gathering
// moment, reading that one file, and the announcement. Each round starts with nothing pending.
void PickUpChangeMadeElsewhere(benchmark::State &state)
{
    OpenRegister r(state);
    r.live.watch();
    RegisterFolder otherFolder(QFile::encodeName(r.reg.path()));
    otherFolder.open(RegisterFolder::Missing::ReadsEmpty);
    RegisterFiles other(otherFolder);
    const int number = r.live.sites().number(r.live.sites().size() / 2);
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 5 * RegisterWatcher::kGatherMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const SiteRecord changed = Variant(++i);
        Check(state, other.update(number, changed));
        state.ResumeTiming();
        QElapsedTimer waited;
        waited.start();
        while (r.live.sites().at(std::size_t(r.live.sites().positionOf(number))).GetName() != changed.GetName()
               && waited.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (waited.elapsed() >= 2000)
            state.SkipWithError("the change was not picked up");
    }
}

} // namespace

BENCHMARK(AddRecord)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(UpdateFirstRecord)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(RemoveFirstRecord)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(PickUpChangeMadeElsewhere)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(50);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
