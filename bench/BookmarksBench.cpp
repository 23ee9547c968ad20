// Bookmark files in and out. Budgets: importing (reading and planning) a 10 000-bookmark file
// within 1 s, exporting 100 000 records within 1 s. ImportLargeFile reads a file of about 200 MB
// from disk and reports the process's peak memory; run it alone (--benchmark_filter) for a
// figure of its own. ImportIntoRegister is the whole import: 10 000 bookmarks read, planned and
// written into a register of 1 000 records on disk (goal: 1 s), timed by the wall clock since its
// cost is in the flushes; the CPU time is that of the whole process, flushing threads included.
#include "BenchRegister.h"
#include "BookmarkExport.h"
#include "BookmarkTransfer.h"
#include "ImportPlan.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

const char *const kTitles[] = {"株式会社サイト", "ブログ &amp; 日記", "News of the day", "写真館", "研究所の記録",
                               "料理のレシピ", "旅行ガイド", "Qt Documentation"};

// A browser-shaped file: folders of 50 links two levels deep, every link with an add date and a
// favicon of `iconBytes` (as browsers embed them), every third with TAGS, every fourth with a
// description. Written in pieces, so that making a large file costs no memory.
void writeBookmarkFile(QIODevice &out, int count, int iconBytes)
{
    const QByteArray icon = " ICON=\"data:image/png;base64," + QByteArray(iconBytes, 'Q') + '"';
    QByteArray piece = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                       "charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
    for (int i = 0; i < count; ++i) {
        if (i % 1000 == 0)
            piece += "    <DT><H3>フォルダー " + QByteArray::number(i / 1000) + "</H3>\n    <DL><p>\n";
        if (i % 50 == 0)
            piece += "        <DT><H3>分類 " + QByteArray::number(i / 50) + "</H3>\n        <DL><p>\n";
        piece += "            <DT><A HREF=\"https://www.example" + QByteArray::number(i % 5000) + ".jp/page/"
            + QByteArray::number(i) + "/?q=1&amp;r=2\" ADD_DATE=\"1700000001\"" + icon
            + (i % 3 == 0 ? " TAGS=\"趣味,news,東京\"" : "") + '>' + kTitles[i % 8] + ' ' + QByteArray::number(i)
            + "</A>\n";
        if (i % 4 == 0)
            piece += "            <DD>説明文 " + QByteArray::number(i) + "\n            二行目も &lt;そのまま&gt;\n";
        if (i % 50 == 49 || i == count - 1)
            piece += "        </DL><p>\n";
        if (i % 1000 == 999 || i == count - 1)
            piece += "    </DL><p>\n";
        if (piece.size() > (1 << 20)) {
            out.write(piece);
            piece.clear();
        }
    }
    out.write(piece + "</DL>\n");
}

// A register of `count` other URLs answers "is this URL known".
KnownUrl registerOf(int count)
{
    QSet<QByteArray> urls;
    for (int i = 0; i < count; ++i)
        urls.insert("https://registered.example/" + QByteArray::number(i));
    return [urls](const QByteArray &url) { return urls.contains(url); };
}

void ImportBookmarks(benchmark::State &state)
{
    QBuffer file;
    file.open(QIODevice::ReadWrite);
    writeBookmarkFile(file, int(state.range(0)), int(state.range(1)));
    const KnownUrl known = registerOf(10000);
    std::size_t added = 0;
    for (auto _ : state) {
        file.seek(0);
        const BookmarkImport import = PlanBookmarkImport(file, known);
        if (!import.read.ok)
            state.SkipWithError(import.read.message.toStdString().c_str());
        added = import.plan.records.size();
    }
    state.counters["added"] = double(added);
    state.counters["MB"] = double(file.size()) / 1e6;
}

void ExportBookmarksBench(benchmark::State &state)
{
    const SiteList sites = MakeBenchSites(int(state.range(0)));
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray file = ExportBookmarks(sites);
        bytes = file.size();
        benchmark::DoNotOptimize(file.constData());
    }
    state.counters["MB"] = double(bytes) / 1e6;
}

// One description of a million references.
void ReadMillionReferences(benchmark::State &state)
{
    QByteArray bytes = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A HREF=\"https://a.example/\">A</A>\n<DD>";
    for (int i = 0; i < 1000000; ++i)
        bytes += "&amp;";
    bytes += "\n</DL>\n";
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    for (auto _ : state) {
        file.seek(0);
        qsizetype length = 0;
        ReadBookmarks(file, [&](Bookmark &&bookmark) { length = bookmark.description.size(); });
        if (length != 1000000)
            state.SkipWithError("the references were not decoded");
    }
}

void ImportIntoRegister(benchmark::State &state)
{
    QBuffer file;
    file.open(QIODevice::ReadWrite);
    writeBookmarkFile(file, int(state.range(0)), 0);
    std::size_t added = 0;
    // Every register is kept until the end: on a file system without a journal, ext4 passes over
    // inode numbers freed in the last minutes when it makes a file, and the thousands of files of
    // a register deleted just before would make the next import pay for that search.
    std::vector<std::unique_ptr<BenchRegister>> registers;
    for (auto _ : state) {
        state.PauseTiming();
        auto &reg = registers.emplace_back(std::make_unique<BenchRegister>(1000));
        RegisterFolder folder(QFile::encodeName(reg->path()));
        RegisterFiles files(folder);
        Reading<LoadedRegister> loaded;
        if (!folder.open(RegisterFolder::Missing::ReadsEmpty) || !(loaded = files.load()))
            state.SkipWithError("the register did not load");
        const SiteList &sites = loaded.value.sites;
        ::sync();
        file.seek(0);
        state.ResumeTiming();

        const BookmarkImport planned = PlanBookmarkImport(file, RegisterUrls(sites));
        const OperationResult written = WritePlannedImport(
            planned, [&files](const PlannedRecords &records) {
                return files.addMany(records.size(), [&records](std::size_t i) { return records.at(i); });
            });
        if (!written.done())
            state.SkipWithError(written.io.describe().toStdString().c_str());
        added = planned.plan.records.size();
    }
    state.counters["added"] = double(added);
}

void ImportLargeFile(benchmark::State &state)
{
    QTemporaryFile file;
    file.open();
    writeBookmarkFile(file, int(state.range(0)), 900);
    file.close();
    std::size_t added = 0;
    for (auto _ : state) {
        const BookmarkImport import = PlanBookmarkFileImport(file.fileName(), {});
        if (!import.read.ok)
            state.SkipWithError(import.read.message.toStdString().c_str());
        added = import.plan.records.size();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["added"] = double(added);
    state.counters["fileMB"] = double(QFileInfo(file.fileName()).size()) / 1e6;
    state.counters["peakMB"] = double(usage.ru_maxrss) / 1024;
}

} // namespace

BENCHMARK(ImportBookmarks)->Args({10000, 0})->Args({10000, 900})->Unit(benchmark::kMillisecond);
BENCHMARK(ExportBookmarksBench)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadMillionReferences)->Unit(benchmark::kMillisecond);
BENCHMARK(ImportIntoRegister)->Arg(10000)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ImportLargeFile)->Arg(200000)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
