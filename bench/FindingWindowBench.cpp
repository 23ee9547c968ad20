// Finding in the window at 100 000 sites, each from the user's action to the repainted list:
// one keystroke in the search box (budget one frame, 16 ms), a click on a column header (a sort,
// budget 100 ms). Start-up to the shown window (budget 1.5 s) is in WindowBench.
#include "BenchWindow.h"
#include "SiteFilterModel.h"
#include "SiteSearchBar.h"

#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

QLineEdit *searchBox(MainDialog &dialog)
{
    return dialog.searchBar()->searchBox();
}

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
    BenchWindow window(state);
    if (!window.start(state))
        return;
    if (sortColumn >= 0)
        emit window.dialog.siteView()->horizontalHeader()->sectionClicked(sortColumn);
    const QString start = QString::fromUtf8(before);
    const QString key = QString::fromUtf8(typed);
    for (auto _ : state) {
        state.PauseTiming();
        searchBox(window.dialog)->clear();
        searchBox(window.dialog)->setText(start);
        searchBox(window.dialog)->setFocus();
        QApplication::processEvents();
        state.ResumeTiming();
        if (key.isEmpty())
            press(searchBox(window.dialog), Qt::Key_Backspace);
        else
            commit(searchBox(window.dialog), key);
        QApplication::processEvents();
    }
    state.counters["shown"] = double(window.dialog.siteView()->model()->rowCount());
}

// A click on a column header of the list in the register's order: sorted and repainted.
void HeaderClick(benchmark::State &state)
{
    BenchWindow window(state);
    if (!window.start(state))
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

} // namespace

// The first character looks at every site; the next at what the one before found; Backspace
// widens the search and looks at every site again.
BENCHMARK_CAPTURE(Keystroke, first, "", "ニ", -1)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK_CAPTURE(Keystroke, next, "ニュー", "ス", -1)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK_CAPTURE(Keystroke, backspace, "ニュース", "", -1)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK_CAPTURE(Keystroke, firstSorted, "", "ニ", 0)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK_CAPTURE(Keystroke, matchesEveryRow, "", "x", -1)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(HeaderClick)->Args({100000, 0})->Args({100000, 1})->Args({100000, 5})->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char **argv)
{
    return RunWindowBenchmarks(argc, argv);
}
