// Keywords as a tool at 100 000 sites: the keyword view opening (the keywords counted, sorted,
// the view built and painted), and one keyword renamed on 10 000 sites as one operation against
// the same 10 000 sites changed by single updates, each way through the window's history with the
// list following. The register's every tenth site carries the keyword renamed.
#include "BenchWindow.h"
#include "CodePage.h"
#include "IniDocument.h"
#include "KeywordEdits.h"
#include "KeywordList.h"
#include "SiteRegister.h"
#include "UndoHistory.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>

namespace {

constexpr int kCarrying = 10000;

QByteArray keywordName(int round)
{
    return CodePage::fromKnownText(QStringLiteral("一括%1").arg(round % 2));
}

// The window over a register whose every tenth site carries keywordName(0) as its first keyword.
struct KeywordWindow : BenchWindow
{
    explicit KeywordWindow(benchmark::State &state)
        : BenchWindow(state)
    {
        const SiteList sites = MakeBenchSites(int(state.range(0)));
        for (std::size_t i = 0; i < sites.size(); i += sites.size() / kCarrying) {
            SiteRecord record = sites.at(i);
            record.SetKeyword1(keywordName(0));
            IniDocument file;
            record.WriteTo(file);
            QFile out(QDir(reg.path()).filePath(DataFileName(int(i) + 1)));
            if (!out.open(QIODevice::WriteOnly) || out.write(file.serialize()) < 0)
                state.SkipWithError("could not write the register");
        }
    }
    bool carriedBy(int round, std::size_t count)
    {
        const SiteList &sites = dialog.sites();
        return std::size_t(std::count_if(sites.begin(), sites.end(), [round](const SiteRecord &site) {
                   return CarriesKeyword(site, keywordName(round));
               })) == count;
    }
};

void OpenKeywordView(benchmark::State &state)
{
    KeywordWindow window(state);
    if (!window.start(state))
        return;
    QAction *open = window.dialog.findChild<QAction *>(QStringLiteral("keywordViewAction"));
    for (auto _ : state) {
        open->trigger();
        QApplication::processEvents();
        state.PauseTiming();
        auto *view = window.dialog.findChild<QDialog *>(QStringLiteral("keywordView"));
        if (!view || !view->isVisible()) {
            state.SkipWithError("the keyword view did not open");
            break;
        }
        view->close(); // and gone: each round opens it anew
        QApplication::processEvents();
        state.ResumeTiming();
    }
    window.check(state);
}

// Round by round the keyword goes back and forth between two names, on the same sites each time.
void RenameOnTenThousand(benchmark::State &state)
{
    KeywordWindow window(state);
    if (!window.start(state))
        return;
    KeywordOperations keywords(window.dialog.siteRegister(), window.dialog.undoHistory());
    int round = 0;
    for (auto _ : state) {
        const KeywordOutcome outcome = keywords.rename(keywordName(round), keywordName(round + 1));
        QApplication::processEvents();
        ++round;
        if (outcome.changed != kCarrying || !window.carriedBy(round, kCarrying)) {
            state.SkipWithError(outcome.message.isEmpty() ? "not every site was renamed" : outcome.message.toStdString().c_str());
            break;
        }
    }
    window.check(state);
}

void SingleUpdatesOnTenThousand(benchmark::State &state)
{
    KeywordWindow window(state);
    if (!window.start(state))
        return;
    int round = 0;
    for (auto _ : state) {
        const KeywordPlan plan = PlanKeywordRename(window.dialog.sites(), keywordName(round), keywordName(round + 1));
        for (const RecordUpdate &update : plan.updates) {
            if (!window.dialog.undoHistory().update(update.number, update.record, update.seen).done()) {
                state.SkipWithError("an update failed");
                return;
            }
        }
        QApplication::processEvents();
        ++round;
        if (!window.carriedBy(round, kCarrying)) {
            state.SkipWithError("not every site was updated");
            break;
        }
    }
    window.check(state);
}

} // namespace

BENCHMARK(OpenKeywordView)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(RenameOnTenThousand)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(SingleUpdatesOnTenThousand)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char **argv)
{
    return RunWindowBenchmarks(argc, argv);
}
