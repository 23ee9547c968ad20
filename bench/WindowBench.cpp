// The main window: rebuilding the site list, generating the link code into the output box,
// start-up to a shown window, the registration operations (on disk, and the list showing them),
// and the close request.
#include "BenchWindow.h"
#include "PageTab.h"

#include <QRadioButton>

#include <memory>

#include <benchmark/benchmark.h>

namespace {

void FillSiteList(benchmark::State &state)
{
    BenchWindow window(state);
    if (!window.start(state))
        return;
    for (auto _ : state) {
        window.dialog.FillSiteList();
        // The list paints what the fill made visible, as it would on screen.
        QApplication::processEvents();
    }
    if (window.dialog.GetSelectedSiteRow() != int(state.range(0)) - 1)
        state.SkipWithError("the last row is not current");
}

// "コード生成" in its longest mode: the generator, decoding its bytes and the output box taking
// them, laid out and painted.
void GenerateLinkCode(benchmark::State &state)
{
    BenchWindow window(state);
    if (!window.start(state))
        return;
    MainDialog &dialog = window.dialog;
    dialog.pageTab()->setCurrentIndex(1);
    dialog.control<QRadioButton>(ControlId::ModeNameAndContent)->setChecked(true);
    QApplication::processEvents();
    for (auto _ : state) {
        dialog.GenerateLinkCode();
        QApplication::processEvents();
    }
    const QString code = dialog.ItemText(ControlId::LinkCode);
    if (code.isEmpty())
        state.SkipWithError("nothing was generated");
    state.counters["chars"] = double(code.size());
}

void StartUpToShownWindow(benchmark::State &state)
{
    BenchRegister reg(int(state.range(0)));
    FailingBoxes boxes;
    for (auto _ : state) {
        MainDialog dialog(boxes);
        if (!dialog.OnInitDialog()) {
            state.SkipWithError(boxes.failure.toStdString().c_str());
            break;
        }
        dialog.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(dialog.GetSelectedSiteRow());
    }
}

// 新しく登録, 更新 and 削除 of the first row, each to the list showing the outcome (painted).
void ThroughWindow(benchmark::State &state, void (MainDialog::*operation)())
{
    BenchWindow window(state);
    if (!window.start(state))
        return;
    int i = 0;
    for (auto _ : state) {
        window.dialog.SelectSiteRow(0);
        window.typeFields(++i);
        (window.dialog.*operation)();
        QApplication::processEvents();
    }
    window.check(state);
}

// The close request of a window that has just changed the register.
void CloseRequest(benchmark::State &state)
{
    BenchRegister reg(int(state.range(0)));
    FailingBoxes boxes;
    std::unique_ptr<MainDialog> dialog;
    for (auto _ : state) {
        state.PauseTiming();
        dialog = std::make_unique<MainDialog>(boxes); // the last one is freed untimed
        if (!dialog->OnInitDialog()) {
            state.SkipWithError(boxes.failure.toStdString().c_str());
            break;
        }
        dialog->show();
        dialog->SelectSiteRow(0);
        dialog->DeleteSite();
        // The first paint queues the search texts' preparation; it belongs to start-up, not to
        // the close request.
        for (int round = 0; round < 3; ++round)
            QApplication::processEvents();
        state.ResumeTiming();
        dialog->close();
        QApplication::processEvents();
    }
}

} // namespace

BENCHMARK_CAPTURE(ThroughWindow, Register, &MainDialog::RegisterNewSite)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK_CAPTURE(ThroughWindow, UpdateFirst, &MainDialog::UpdateSite)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK_CAPTURE(ThroughWindow, DeleteFirst, &MainDialog::DeleteSite)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(CloseRequest)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(FillSiteList)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(GenerateLinkCode)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(StartUpToShownWindow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(StartUpToShownWindow)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    return RunWindowBenchmarks(argc, argv);
}
