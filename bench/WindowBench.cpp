// The main window: rebuilding the site list, generating the link code into the output box,
// start-up to a shown window, the registration operations (on disk, and the list showing them),
// and the close request.
#include "BenchRegister.h"
#include "DialogTemplate.h"
#include "MainDialog.h"
#include "PageTab.h"

#include <QApplication>
#include <QRadioButton>

#include <memory>

#include <benchmark/benchmark.h>

namespace {

// A message in a benchmark means something went wrong: the run is marked, never blocked.
// Questions (変更 / 削除) are answered Yes.
class FailingBoxes : public MessageBoxes
{
public:
    void showMessage(QWidget *, const QString &, const QString &text) override { failure = text; }
    Answer askYesNo(QWidget *, const QString &, const QString &, Answer) override { return Answer::Yes; }
    QString failure;
};

// A shown window over a register of `state.range(0)` generated sites.
struct BenchWindow
{
    explicit BenchWindow(benchmark::State &state)
        : reg(int(state.range(0)))
    {
    }
    // False (the run marked) when the window did not start.
    bool start(benchmark::State &state)
    {
        if (!dialog.OnInitDialog()) {
            state.SkipWithError(boxes.failure.toStdString().c_str());
            return false;
        }
        dialog.show();
        QApplication::processEvents();
        return true;
    }
    // The fields as a user leaves them before pressing a button, different each time.
    void typeFields(int i)
    {
        dialog.SetItemText(ControlId::SiteName, QStringLiteral("ベンチ%1").arg(i));
        dialog.SetItemText(ControlId::SiteUrl, QStringLiteral("http://bench.example.jp/%1").arg(i));
    }
    void check(benchmark::State &state)
    {
        if (!boxes.failure.isEmpty())
            state.SkipWithError(boxes.failure.toStdString().c_str());
    }

    BenchRegister reg;
    FailingBoxes boxes;
    MainDialog dialog{boxes};
};

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
void RegisterThroughWindow(benchmark::State &state)
{
    BenchWindow window(state);
    if (!window.start(state))
        return;
    int i = 0;
    for (auto _ : state) {
        window.typeFields(++i);
        window.dialog.RegisterNewSite();
        QApplication::processEvents();
    }
    window.check(state);
}

void UpdateFirstThroughWindow(benchmark::State &state)
{
    BenchWindow window(state);
    if (!window.start(state))
        return;
    int i = 0;
    for (auto _ : state) {
        window.dialog.SelectSiteRow(0);
        window.typeFields(++i);
        window.dialog.UpdateSite();
        QApplication::processEvents();
    }
    window.check(state);
}

void DeleteFirstThroughWindow(benchmark::State &state)
{
    BenchWindow window(state);
    if (!window.start(state))
        return;
    for (auto _ : state) {
        window.dialog.SelectSiteRow(0);
        window.dialog.DeleteSite();
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
        QApplication::processEvents();
        state.ResumeTiming();
        dialog->close();
        QApplication::processEvents();
    }
}

} // namespace

BENCHMARK(RegisterThroughWindow)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(UpdateFirstThroughWindow)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(DeleteFirstThroughWindow)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(CloseRequest)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);
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
