// The main window: rebuilding the site list, generating the link code into the output box, and
// start-up to a shown window.
#include "BenchRegister.h"
#include "DialogTemplate.h"
#include "MainDialog.h"
#include "PageTab.h"

#include <QApplication>
#include <QRadioButton>

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

// A shown window over an empty register, with `state.range(0)` generated sites put in its list
// afterwards (the list not yet refilled).
struct BenchWindow
{
    // False (the run marked) when the window did not start.
    bool start(benchmark::State &state)
    {
        if (!dialog.OnInitDialog()) {
            state.SkipWithError(boxes.failure.toStdString().c_str());
            return false;
        }
        dialog.show();
        QApplication::processEvents();
        dialog.m_store.m_sites = MakeBenchSites(int(state.range(0)));
        return true;
    }

    BenchRegister reg{0};
    FailingBoxes boxes;
    MainDialog dialog{boxes};
};

void FillSiteList(benchmark::State &state)
{
    BenchWindow window;
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
    BenchWindow window;
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

} // namespace

BENCHMARK(FillSiteList)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(GenerateLinkCode)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(StartUpToShownWindow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sitekanri"));
    return RunBenchmarks(argc, argv);
}
