// The main window: rebuilding the site list, and start-up to a shown window.
#include "BenchRegister.h"
#include "MainDialog.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

// A box in a benchmark means something went wrong: the run is marked, never blocked.
class FailingBoxes : public MessageBoxes
{
public:
    void showMessage(QWidget *, const QString &, const QString &text) override { failure = text; }
    Answer askYesNo(QWidget *, const QString &, const QString &text, Answer) override
    {
        failure = text;
        return Answer::No;
    }
    QString failure;
};

void FillSiteList(benchmark::State &state)
{
    BenchRegister reg(0);
    FailingBoxes boxes;
    MainDialog dialog(boxes);
    if (!dialog.OnInitDialog()) {
        state.SkipWithError(boxes.failure.toStdString().c_str());
        return;
    }
    dialog.show();
    QApplication::processEvents();
    dialog.m_store.m_sites = MakeBenchSites(int(state.range(0)));
    for (auto _ : state) {
        dialog.FillSiteList();
        // The list paints what the fill made visible, as it would on screen.
        QApplication::processEvents();
    }
    if (dialog.GetSelectedSiteRow() != int(state.range(0)) - 1)
        state.SkipWithError("the last row is not current");
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

} // namespace

BENCHMARK(FillSiteList)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(StartUpToShownWindow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sitekanri"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
