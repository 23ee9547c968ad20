// A sync tool bringing 10 000 new sites from another computer into the folder of an open window:
// each file written under a working name and renamed into place, as Syncthing does, as fast as the
// disk takes them, setting.ini among them at a random place. Measured: the longest time the
// window's event loop went without turning (a frame it could not draw), the processor time the
// window's thread spent in that longest turn and in its most costly one (on a machine shared with
// other work, the wall time of a turn includes waiting for a processor; its processor time is our
// own cost), and how long after the last file the window's list held every site.
#include "BenchWindow.h"
#include "IniDocument.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <thread>

#include <time.h>

namespace {

constexpr int kAlready = 1000;

// Processor time of the calling thread, in milliseconds.
double threadCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

QByteArray FileBytes(const SiteRecord &record)
{
    IniDocument file;
    record.WriteTo(file);
    return file.serialize();
}

// Writes `files` into `folder` one by one, each beside its place first and then renamed over it.
void Bring(const QString &folder, const std::vector<std::pair<QString, QByteArray>> &files, std::atomic<qint64> &lastAt,
           const QElapsedTimer &clock)
{
    for (const auto &[name, bytes] : files) {
        const QByteArray working = QFile::encodeName(folder + QStringLiteral("/.syncthing.") + name + QStringLiteral(".tmp"));
        if (FILE *out = std::fopen(working.constData(), "wb")) {
            std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), out);
            std::fclose(out);
        }
        std::rename(working.constData(), QFile::encodeName(folder + u'/' + name).constData());
    }
    lastAt = clock.elapsed();
}

void SyncBringsNewSites(benchmark::State &state)
{
    const int arriving = int(state.range(0));
    for (auto _ : state) {
        // The window opens the register both computers held before they were apart.
        struct Window
        {
            BenchRegister reg{kAlready};
            FailingBoxes boxes;
            MainDialog dialog{boxes};
        } window;
        if (!window.dialog.OnInitDialog()) {
            state.SkipWithError(window.boxes.failure.toStdString().c_str());
            return;
        }
        window.dialog.show();
        QApplication::processEvents();
        const SiteList sites = MakeBenchSites(kAlready + arriving, 300, 7);
        std::vector<std::pair<QString, QByteArray>> files;
        for (int number = kAlready + 1; number <= kAlready + arriving; ++number)
            files.emplace_back(QStringLiteral("data%1.ini").arg(number), FileBytes(sites.at(std::size_t(number - 1))));
        std::shuffle(files.begin(), files.end(), std::mt19937(42));
        files.insert(files.begin() + std::mt19937(7)() % files.size(),
                     {QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=" + QByteArray::number(kAlready + arriving) + "\r\n"});

        QElapsedTimer clock;
        clock.start();
        qint64 lastTick = 0, longestStall = 0;
        double lastCpu = threadCpuMs(), longestStallCpu = 0, mostCpu = 0;
        QTimer ticks;
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            const double cpu = threadCpuMs();
            if (now - lastTick > longestStall) {
                longestStall = now - lastTick;
                longestStallCpu = cpu - lastCpu;
            }
            mostCpu = std::max(mostCpu, cpu - lastCpu);
            lastTick = now;
            lastCpu = cpu;
        });
        ticks.start(1);
        std::atomic<qint64> lastAt{-1};
        std::thread sync(Bring, window.reg.path(), std::cref(files), std::ref(lastAt), std::cref(clock));
        const int wanted = kAlready + arriving;
        while ((lastAt < 0 || int(window.dialog.sites().size()) < wanted
                || window.dialog.siteView()->model()->rowCount() < wanted)
               && clock.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        const qint64 shownAt = clock.elapsed();
        sync.join();
        ticks.stop();
        if (int(window.dialog.sites().size()) != wanted)
            state.SkipWithError("not every site was shown within a minute");
        state.SetIterationTime(double(shownAt) / 1000.0);
        state.counters["longest_stall_ms"] = double(longestStall);
        state.counters["longest_stall_cpu_ms"] = longestStallCpu;
        state.counters["most_cpu_in_a_turn_ms"] = mostCpu;
        state.counters["shown_after_last_file_ms"] = double(shownAt - lastAt);
        state.counters["sync_ms"] = double(lastAt);
        if (!window.boxes.failure.isEmpty())
            state.SkipWithError(window.boxes.failure.toStdString().c_str());
    }
}
BENCHMARK(SyncBringsNewSites)->Arg(10000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunWindowBenchmarks(argc, argv);
}
