// Several rows at once in the main window: Ctrl+A over the whole list, 削除 of 10 000 chosen
// sites as one operation (one question, one write under one lock, the list following), and the
// undo that brings them all back, each to the list painted again. The time to choose the rows
// is not in either, but shown beside (choose_ms).
#include "BenchWindow.h"
#include "UndoHistory.h"

#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QTableView>

namespace {

constexpr int kChosen = 10000;

// Every tenth row: 10 000 rows apart from one another, the hardest case for the list to follow.
// Each range spans the whole row already, as the view's own row choosing makes it: asked to widen
// 10 000 ranges at once (QItemSelectionModel::Rows), the selection model merges each into all the
// others before it, which alone costs seconds and is nothing a user's choosing goes through.
void chooseEveryTenthRow(MainDialog &dialog)
{
    QTableView *view = dialog.siteView();
    const QAbstractItemModel *model = view->model();
    const int lastColumn = model->columnCount() - 1;
    QItemSelection chosen;
    for (int row = 0; row < kChosen * 10 && row < model->rowCount(); row += 10)
        chosen.append(QItemSelectionRange(model->index(row, 0), model->index(row, lastColumn)));
    view->selectionModel()->select(chosen, QItemSelectionModel::ClearAndSelect);
}

void SelectAll(benchmark::State &state)
{
    BenchWindow window(state);
    if (!window.start(state))
        return;
    QTableView *view = window.dialog.siteView();
    for (auto _ : state) {
        view->clearSelection();
        view->selectAll();
        QApplication::processEvents();
    }
    if (view->selectionModel()->selectedRows().size() != int(state.range(0)))
        state.SkipWithError("not every row is chosen");
}

// `timeDelete`: the delete is timed and its undo not, or the other way round.
void DeleteChosen(benchmark::State &state, bool timeDelete)
{
    BenchWindow window(state);
    if (!window.start(state))
        return;
    MainDialog &dialog = window.dialog;
    double chooseMs = 0;
    for (auto _ : state) {
        // The rows are chosen before the clock runs: choosing 10 000 rows apart from one another
        // costs the view's selection model alone, and is reported beside.
        state.PauseTiming();
        QElapsedTimer choosing;
        choosing.start();
        chooseEveryTenthRow(dialog);
        chooseMs += double(choosing.elapsed());
        if (timeDelete)
            state.ResumeTiming();
        dialog.DeleteSite();
        QApplication::processEvents();
        if (dialog.sites().size() != std::size_t(state.range(0) - kChosen)) {
            state.SkipWithError("the chosen sites were not deleted");
            break;
        }
        timeDelete ? state.PauseTiming() : state.ResumeTiming();
        dialog.UndoOperation();
        QApplication::processEvents();
        if (timeDelete)
            state.ResumeTiming();
        if (dialog.sites().size() != std::size_t(state.range(0))) {
            state.SkipWithError("the undo did not bring them back");
            break;
        }
    }
    state.counters["choose_ms"] = benchmark::Counter(chooseMs, benchmark::Counter::kAvgIterations);
    window.check(state);
}

} // namespace

BENCHMARK(SelectAll)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(DeleteChosen, Delete10000, true)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(DeleteChosen, Undo10000, false)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    return RunWindowBenchmarks(argc, argv);
}
