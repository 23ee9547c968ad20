// One register file read and rewritten: a record's file as the register holds them, and a file of
// the largest size a register file may have, made of the shortest lines (the case where any form
// kept per line costs most). The large cases report the peak memory that reading, looking up,
// changing and writing the file take beyond its bytes, against the file's size, and fail when it
// is more than kMaxPeakPerFile times that.
#include "BenchRegister.h"
#include "IniDocument.h"
#include "SiteRecord.h"

#include <QCoreApplication>
#include <QFile>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

constexpr qsizetype kLargeFileBytes = 16 * 1024 * 1024;
constexpr double kMaxPeakPerFile = 3.0;

QByteArray recordFile()
{
    IniDocument file = IniDocument::parse({});
    MakeBenchSites(1).at(0).WriteTo(file);
    return file.serialize();
}

// Utf8Lacking: UTF-8 lines of a character the code page holds, after one it lacks (a file edited
// elsewhere), which once had every character converted on its own, a second per 3 MB.
enum class LargeEncoding { CodePage, Utf8, Utf16, Utf8Lacking };

// kLargeFileBytes of one-character lines in [DATA], the record's own keys last, so that every
// lookup walks the whole file.
QByteArray largeFile(LargeEncoding encoding)
{
    const QByteArray tail = "NAME=last\nURL=u\n";
    if (encoding == LargeEncoding::Utf8Lacking) {
        QByteArray text = "\xEF\xBB\xBF[DATA]\nSUSHI=\xF0\x9F\x8D\xA3\n";
        text.reserve(kLargeFileBytes);
        while (text.size() + 4 + tail.size() <= kLargeFileBytes)
            text.append("\xE3\x81\x82\n", 4);
        return text + tail;
    }
    const qsizetype textBytes = encoding == LargeEncoding::CodePage ? kLargeFileBytes
                                : encoding == LargeEncoding::Utf8   ? kLargeFileBytes - 3
                                                                    : kLargeFileBytes / 2 - 1;
    QByteArray text = "[DATA]\n";
    text.reserve(textBytes);
    while (text.size() + 2 + tail.size() <= textBytes)
        text.append("a\n", 2);
    text += tail;
    switch (encoding) {
    case LargeEncoding::CodePage:
        return text;
    case LargeEncoding::Utf8:
        return "\xEF\xBB\xBF" + text;
    case LargeEncoding::Utf16:
    case LargeEncoding::Utf8Lacking:
        break;
    }
    QByteArray out("\xFF\xFE", 2);
    for (char c : text)
        out.append(c).append('\0');
    return out;
}

// Resident memory of this process from /proc/self/status: "VmRSS" now or "VmHWM", the peak since
// the last resetPeak(), in bytes.
qint64 statusBytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field)) + 1).trimmed().split(' ').front().toLongLong() * 1024;
    }
    return -1;
}

bool resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

void ReadRecord(benchmark::State &state)
{
    const QByteArray bytes = recordFile();
    for (auto _ : state) {
        SiteRecord record;
        record.ReadFrom(IniDocument::parse(bytes));
        benchmark::DoNotOptimize(record.GetContent());
    }
}

void RewriteRecord(benchmark::State &state)
{
    const QByteArray bytes = recordFile();
    SiteRecord changed = MakeBenchSites(2).at(1);
    for (auto _ : state) {
        IniDocument file = IniDocument::parse(bytes);
        changed.WriteTo(file);
        benchmark::DoNotOptimize(file.serialize());
    }
}

void LargeFile(benchmark::State &state)
{
    const QByteArray bytes = largeFile(LargeEncoding(state.range(0)));
    double peakPerFile = 0;
    for (auto _ : state) {
        const qint64 before = statusBytes("VmRSS");
        if (!resetPeak()) {
            state.SkipWithError("cannot reset the peak in /proc/self/clear_refs");
            break;
        }
        IniDocument file = IniDocument::parse(bytes);
        if (file.value("DATA", "NAME") != "last")
            state.SkipWithError("NAME not read");
        file.setValue("DATA", "NAME", "changed");
        file.setValue("DATA", "KEY1", "added");
        benchmark::DoNotOptimize(file.serialize());
        peakPerFile = std::max(peakPerFile, double(statusBytes("VmHWM") - before) / double(bytes.size()));
    }
    state.counters["peak_per_file"] = peakPerFile;
    state.counters["file_MB"] = double(bytes.size()) / 1e6;
    if (peakPerFile > kMaxPeakPerFile) {
        // The message must outlive the run: the reporter prints it afterwards.
        static std::string message;
        message = "peak memory " + std::to_string(peakPerFile) + " times the file's size";
        state.SkipWithError(message.c_str());
    }
}

} // namespace

BENCHMARK(ReadRecord);
BENCHMARK(RewriteRecord);
BENCHMARK(LargeFile)->ArgName("cp932_utf8_utf16_lacking")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
