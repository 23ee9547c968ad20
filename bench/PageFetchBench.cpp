// The title fetch of a 1 MiB Shift_JIS page from a local server, whose charset is said nowhere
// (so the bytes are scored too): the whole fetch, the same transfer alone (the link check's
// GET of the body, nothing read from it), and reading the body alone. What the fetch costs
// beyond the transfer is the first less the second; the third shows where it goes.
#include "LinkProbe.h"
#include "LocalHttpServer.h"
#include "PageFetch.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QStringEncoder>

#include <benchmark/benchmark.h>

namespace {

QByteArray ShiftJisPage()
{
    const QString head = QStringLiteral("<html><head><title>日本語のページ：東京の天気</title>"
                                        "<meta name=\"description\" content=\"毎日の天気をお知らせします。\"></head><body>\n");
    const QString line = QStringLiteral("<p>本日は晴れのち曇り、所により一時雨でしょう。ｶﾀｶﾅもあります。①②③</p>\n");
    QString page = head;
    while (page.size() * 2 < PageFetch::kMaxBodyBytes)
        page += line;
    QByteArray bytes = QStringEncoder("Shift_JIS").encode(page);
    bytes.truncate(PageFetch::kMaxBodyBytes);
    return bytes;
}

struct Server
{
    Server()
    {
        server.setHandler([this](const LocalHttpServer::Request &) {
            LocalHttpServer::Answer answer;
            answer.body = page;
            answer.contentType = "text/html";
            return answer;
        });
    }
    QString url() const { return server.base() + QStringLiteral("/page"); }
    QByteArray page = ShiftJisPage();
    LocalHttpServer server;
};

void FetchTitle(benchmark::State &state)
{
    Server local;
    QString title;
    for (auto _ : state) {
        PageFetch fetch(local.url());
        QEventLoop loop;
        QObject::connect(&fetch, &PageFetch::finished, &loop, [&](const PageDetails &details) {
            title = details.title;
            loop.quit();
        });
        fetch.start();
        loop.exec();
    }
    if (title != QStringLiteral("日本語のページ：東京の天気"))
        state.SkipWithError("the title was not read");
    state.SetBytesProcessed(state.iterations() * local.page.size());
}

void TransferOnly(benchmark::State &state)
{
    Server local;
    qsizetype read = 0;
    for (auto _ : state) {
        LinkProbe probe(local.url(), LinkCheckSettings(), nullptr, PageFetch::kMaxBodyBytes);
        QEventLoop loop;
        QObject::connect(&probe, &LinkProbe::finished, &loop, [&] {
            read = probe.body().size();
            loop.quit();
        });
        probe.start();
        loop.exec();
    }
    if (read != local.page.size())
        state.SkipWithError("the body was not read whole");
    state.SetBytesProcessed(state.iterations() * local.page.size());
}

void ReadBodyOnly(benchmark::State &state)
{
    const QByteArray page = ShiftJisPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(PageFetch::read(page, "text/html"));
    state.SetBytesProcessed(state.iterations() * page.size());
}

} // namespace

BENCHMARK(FetchTitle)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TransferOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ReadBodyOnly)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
