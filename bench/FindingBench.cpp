// Search, sort and the duplicate check over large registers. Budgets at 100 000 sites: a
// keystroke of search well under one frame (16 ms, of which the list's repaint takes its
// share), a sort under 100 ms with its keys prepared, a duplicate check fit for every
// registration.
#include "BenchRegister.h"
#include "DuplicateIndex.h"
#include "SearchIndex.h"
#include "SiteSort.h"
#include "SiteTexts.h"
#include "TextFolding.h"

#include "CodePage.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

// Folding each name on its own: the cost per call of the folding itself.
void FoldNames(benchmark::State &state)
{
    const SiteList sites = MakeBenchSites(int(state.range(0)));
    std::vector<QString> names;
    for (const SiteRecord &record : sites)
        names.push_back(CodePage::toText(record.GetName()));
    for (auto _ : state)
        for (const QString &name : names)
            benchmark::DoNotOptimize(TextFolding::fold(name).constData());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The register of an import from browsers: every name with references and every content with
// markup, read as a page shows them before they are folded.
SiteList sitesWithMarkup(int count)
{
    SiteList sites;
    for (SiteRecord record : MakeBenchSites(count)) {
        record.SetName(record.GetName() + " &amp; Caf&#233; &#127843;");
        record.SetContent("<b>" + record.GetContent() + "</b> &lt;3");
        sites.push_back(record);
    }
    return sites;
}

// Decoding and folding every field of every record (range(1): with markup in every name and
// content); the counter is what the keys cost.
void SearchIndexBuild(benchmark::State &state)
{
    const SiteList sites = state.range(1) ? sitesWithMarkup(int(state.range(0))) : MakeBenchSites(int(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const SearchIndex index(sites);
        bytes = index.keyBytes();
        benchmark::DoNotOptimize(&index);
    }
    double textBytes = 0;
    for (const SiteRecord &record : sites)
        for (const SiteText text : kSiteTexts)
            textBytes += double((record.*text).size());
    state.counters["keyMB"] = double(bytes) / 1e6;
    state.counters["registerTextMB"] = textBytes / 1e6;
    state.counters["keyBytesPerSite"] = double(bytes) / double(state.range(0));
}

// One keystroke while typing `typed`: range(1) characters typed, the search box holding the
// one fewer before it. The first keystroke looks at every record; later ones at what the
// previous found.
void SearchKeystroke(benchmark::State &state, const char *typed)
{
    const SiteList sites = MakeBenchSites(int(state.range(0)));
    SearchIndex index(sites);
    const QString text = QString::fromUtf8(typed);
    const auto length = qsizetype(state.range(1));
    std::size_t found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        index.find(SearchQuery(QStringView(text).left(length - 1)));
        state.ResumeTiming();
        found = index.find(SearchQuery(QStringView(text).left(length))).size();
    }
    state.counters["found"] = double(found);
}

// A query that does not narrow the previous one (a character deleted, a word pasted): every
// record is looked at, and almost none matches.
void SearchFullScan(benchmark::State &state)
{
    const SiteList sites = MakeBenchSites(int(state.range(0)));
    SearchIndex index(sites);
    const SearchQuery query(QStringLiteral("らーめん"));
    for (auto _ : state) {
        state.PauseTiming();
        index.find(SearchQuery(QStringLiteral("x")));
        state.ResumeTiming();
        benchmark::DoNotOptimize(index.find(query).data());
    }
}

// range(1): the field; range(2): 0 ascending, 1 descending. Keys come from the search index.
void SortFromIndex(benchmark::State &state)
{
    const SiteList sites = MakeBenchSites(int(state.range(0)));
    const SearchIndex index(sites);
    for (auto _ : state)
        benchmark::DoNotOptimize(SortedRows(index, SiteField(state.range(1)), Qt::SortOrder(state.range(2))).data());
}

// Keys prepared for the one field from the register bytes, then sorted.
void SortFromScratch(benchmark::State &state)
{
    const SiteList sites = MakeBenchSites(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(SortedRows(sites, SiteField(state.range(1)), Qt::AscendingOrder).data());
}

void DuplicateIndexBuild(benchmark::State &state)
{
    const SiteList sites = MakeBenchSites(int(state.range(0)));
    for (auto _ : state) {
        const DuplicateIndex index(sites);
        benchmark::DoNotOptimize(&index);
    }
}

// The check made on registering: a URL written differently from the stored one of the same
// site (range(1) 1), or of no stored site (0).
void DuplicateFind(benchmark::State &state)
{
    const SiteList sites = MakeBenchSites(int(state.range(0)));
    const DuplicateIndex index(sites);
    QByteArray url = sites.at(sites.size() / 2).GetUrl().toUpper().replace("/PAGE/", "/page/");
    if (!state.range(1))
        url = "example.org/nothing-here";
    int found = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(found = index.find(url));
    state.counters["found"] = found;
}

} // namespace

BENCHMARK(FoldNames)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchIndexBuild)->Args({1000, 0})->Args({10000, 0})->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SearchKeystroke, katakana, "ニュース")
    ->ArgsProduct({{100000}, {1, 2, 3, 4}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SearchKeystroke, hiragana, "にゅーす")->Args({100000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(SearchFullScan)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(SortFromIndex)
    ->ArgsProduct({{100000}, {int(SiteField::Name), int(SiteField::Url), int(SiteField::Keyword2), int(SiteField::Content)}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SortFromScratch)
    ->ArgsProduct({{100000}, {int(SiteField::Name), int(SiteField::Content)}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(DuplicateIndexBuild)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(DuplicateFind)->Args({100000, 1})->Args({100000, 0})->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
