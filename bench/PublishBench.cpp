// Publishing 10 000 sites into 20 pages holding 40 regions, against generating the same 40 codes
// as コード生成 does; and the same publish again with nothing changed, which writes no file.
#include "BenchRegister.h"
#include "CodePage.h"
#include "KeywordList.h"
#include "LinkCode.h"
#include "LinkCodeDocument.h"
#include "Publication.h"
#include "RegionCode.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kSites = 10000;
constexpr int kPages = 20;
constexpr int kRegionsPerPage = 2;

struct Region
{
    QByteArray keyword; // kAllKeywords for every site
    LinkCodeMode mode;
};

// 40 regions: a quarter of them over every site, the rest over one keyword each; modes in turn.
std::vector<Region> regions(const SiteList &sites)
{
    const KeywordList keywords = BuildKeywordList(sites);
    std::vector<Region> all;
    for (int i = 0; i < kPages * kRegionsPerPage; ++i)
        all.push_back({i % 4 == 0 ? kAllKeywords : keywords[std::size_t(1 + i)], LinkCodeMode(i % 3)});
    return all;
}

const char *modeWord(LinkCodeMode mode)
{
    return mode == LinkCodeMode::Name ? "name" : mode == LinkCodeMode::Content ? "content" : "name-and-content";
}

// The pages with their regions empty, half of them in UTF-8 and half in Shift_JIS, as they stand
// before their first publish.
std::vector<QByteArray> emptyPages(const std::vector<Region> &all)
{
    std::vector<QByteArray> pages;
    for (int p = 0; p < kPages; ++p) {
        const bool utf8 = p % 2 == 0;
        QByteArray page = QByteArray("<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"") + (utf8 ? "utf-8" : "Shift_JIS")
            + "\"><title>page</title></head><body>\n";
        for (int r = 0; r < kRegionsPerPage; ++r) {
            const Region &region = all[std::size_t(p * kRegionsPerPage + r)];
            QByteArray keyword;
            if (region.keyword != kAllKeywords)
                keyword = " keyword=\"" + (utf8 ? CodePage::toText(region.keyword).toUtf8() : region.keyword) + '"';
            page += "<div>\n<!-- sitekanri" + keyword + " mode=\"" + modeWord(region.mode) + "\" -->\n<!-- /sitekanri -->\n</div>\n";
        }
        pages.push_back(page + "</body></html>\n");
    }
    return pages;
}

struct Site
{
    Site() : sites(MakeBenchSites(kSites)), all(regions(sites)), before(emptyPages(all))
    {
        for (int p = 0; p < kPages; ++p)
            entries.push_back({PageEntry::Kind::Marked, dir.filePath(QStringLiteral("page%1.html").arg(p)), {}, {}});
        reset();
    }
    void reset() const
    {
        for (int p = 0; p < kPages; ++p) {
            QFile file(entries[std::size_t(p)].path);
            if (!file.open(QIODevice::WriteOnly) || file.write(before[std::size_t(p)]) != before[std::size_t(p)].size())
                qFatal("could not write a page");
        }
    }
    // Plans and writes; the number of pages written.
    int publish() const
    {
        Publication publication = Publication::plan(entries, LinkSource(sites, {}, QDate(2026, 12, 9)));
        publication.write();
        int written = 0;
        for (const PublishedFile &file : publication.files())
            written += file.written;
        return written;
    }

    QTemporaryDir dir;
    SiteList sites;
    std::vector<Region> all;
    std::vector<QByteArray> before;
    std::vector<PageEntry> entries;
};

// The baseline: the same 40 codes, each as コード生成 makes it and in its page's encoding as
// ファイルに保存… writes it (UTF-8 for half of them).
void GenerateTheSameCodes(benchmark::State &state)
{
    const SiteList sites = MakeBenchSites(kSites);
    const std::vector<Region> all = regions(sites);
    LinkCodeFormat utf8;
    utf8.encoding = LinkCodeEncoding::Utf8;
    qsizetype bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const QByteArray code = BuildLinkCode(sites, all[i].keyword, all[i].mode);
            bytes += (i / kRegionsPerPage % 2 == 0 ? BuildLinkCodeDocument(code, utf8) : code).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["MB"] = double(bytes) / 1e6;
}

// The same 40 codes in the register's bytes alone, as the code box holds them.
void GenerateTheSameCodesInRegisterBytes(benchmark::State &state)
{
    const SiteList sites = MakeBenchSites(kSites);
    const std::vector<Region> all = regions(sites);
    for (auto _ : state) {
        qsizetype bytes = 0;
        for (const Region &region : all)
            bytes += BuildLinkCode(sites, region.keyword, region.mode).size();
        benchmark::DoNotOptimize(bytes);
    }
}

// Every page changes: read, made anew, written beside, flushed, exchanged, the folder flushed.
void PublishEveryPageChanged(benchmark::State &state)
{
    const Site site;
    int written = 0;
    for (auto _ : state) {
        state.PauseTiming();
        site.reset();
        state.ResumeTiming();
        written = site.publish();
    }
    state.counters["written"] = written;
}

// Published already: every page is read and made anew, and none is written.
void PublishNothingChanged(benchmark::State &state)
{
    const Site site;
    site.publish();
    int written = -1;
    for (auto _ : state)
        written = site.publish();
    state.counters["written"] = written;
}

} // namespace

BENCHMARK(GenerateTheSameCodesInRegisterBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(GenerateTheSameCodes)->Unit(benchmark::kMillisecond);
BENCHMARK(PublishEveryPageChanged)->Unit(benchmark::kMillisecond);
BENCHMARK(PublishNothingChanged)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
