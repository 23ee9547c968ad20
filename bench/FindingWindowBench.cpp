// Finding in the window at 100 000 sites, each from the user's action to the repainted list:
// one keystroke in the search box (budget one frame, 16 ms), a click on a column header (a sort,
// budget 100 ms) and start-up to the shown window (budget 1.5 s).
#include "BenchRegister.h"
#include "MainDialog.h"
#include "SiteFilterModel.h"
#include "SiteSearchBar.h"

#include <QApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

class QuietBoxes : public MessageBoxes
{
public:
    void showMessage(QWidget *, const QString &, const QString &text) override { failure = text; }
    Answer askYesNo(QWidget *, const QString &, const QString &, Answer) override { return Answer::Yes; }
    QString failure;
};

struct ShownWindow
{
    explicit ShownWindow(benchmark::State &state)
        : reg(int(state.range(0)))
    {
        ok = dialog.OnInitDialog();
        if (!ok) {
            state.SkipWithError(boxes.failure.toStdString().c_str());
            return;
        }
        dialog.show();
        QApplication::processEvents();
    }
    QLineEdit *box() const { return dialog.searchBar()->searchBox(); }
    int shownRows() const { return dialog.siteView()->model()->rowCount(); }

    BenchRegister reg;
    QuietBoxes boxes;
    MainDialog dialog{boxes};
    bool ok = false;
};

// Text committed by the input method, as Japanese is typed.
void commit(QWidget *box, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(box, &event);
}

void press(QWidget *box, Qt::Key key)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(box, &down);
    QApplication::sendEvent(box, &up);
}

// The box holds `before` (set untimed); then one character `typed` is committed, or Backspace
// pressed when `typed` is empty, and the list repaints. `sortColumn` >= 0 sorts the list first.
void Keystroke(benchmark::State &state, const char *before, const char *typed, int sortColumn)
{
    ShownWindow window(state);
    if (!window.ok)
        return;
    if (sortColumn >= 0)
        emit window.dialog.siteView()->horizontalHeader()->sectionClicked(sortColumn);
    const QString start = QString::fromUtf8(before);
    const QString key = QString::fromUtf8(typed);
    for (auto _ : state) {
        state.PauseTiming();
        window.box()->clear();
        window.box()->setText(start);
        window.box()->setFocus();
        QApplication::processEvents();
        state.ResumeTiming();
        if (key.isEmpty())
            press(window.box(), Qt::Key_Backspace);
        else
            commit(window.box(), key);
        QApplication::processEvents();
    }
    state.counters["shown"] = double(window.shownRows());
}

// A click on a column header of the list in the register's order: sorted and repainted.
void HeaderClick(benchmark::State &state)
{
    ShownWindow window(state);
    if (!window.ok)
        return;
    QHeaderView *header = window.dialog.siteView()->horizontalHeader();
    auto *model = qobject_cast<SiteFilterModel *>(window.dialog.siteView()->model());
    const int column = int(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        model->sort(-1);
        QApplication::processEvents();
        state.ResumeTiming();
        emit header->sectionClicked(column);
        QApplication::processEvents();
    }
    if (model->sortColumn() != column)
        state.SkipWithError("the list was not sorted");
}

void StartUp(benchmark::State &state)
{
    BenchRegister reg(int(state.range(0)));
    QuietBoxes boxes;
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

// The first character looks at every site; the next at what the one before found; Backspace
// widens the search and looks at every site again.
BENCHMARK_CAPTURE(Keystroke, first, "", "ニ", -1)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK_CAPTURE(Keystroke, next, "ニュー", "ス", -1)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK_CAPTURE(Keystroke, backspace, "ニュース", "", -1)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK_CAPTURE(Keystroke, firstSorted, "", "ニ", 0)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK_CAPTURE(Keystroke, matchesEveryRow, "", "x", -1)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(HeaderClick)->Args({100000, 0})->Args({100000, 1})->Args({100000, 5})->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(StartUp)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sitekanri"));
    return RunBenchmarks(argc, argv);
}
