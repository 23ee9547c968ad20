#pragma once

#include "SiteRecord.h"
#include "TempRegister.h" // kRecordFields

#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// Drives the reference implementation of the register format: the Windows profile functions
// themselves, run under Wine by oracle.sh. Every call starts Wine (a second or two), so callers
// put many records into one save and one load. Each call returns "" (or a load with no error)
// when it worked, else the script's complaint.
namespace ProfileOracle {

// The register in one directory as the Windows program loads it.
struct Load
{
    QString error;
    std::vector<SiteRecord> records;
};

namespace detail {

// Wine's first start in a fresh prefix takes a while; a hung Wine should still end the test.
inline constexpr int kTimeoutMs = 300'000;

inline QString script() { return QStringLiteral(SITEKANRI_PROFILE_ORACLE); }

inline std::unique_ptr<QProcess> start(const QString &command, const QString &directory)
{
    // Wine sets up a fresh prefix on its first start; loads started side by side must not race to
    // do it, so the first use in this process is a lone load of an empty register.
    static const bool wineReady = [] {
        QTemporaryDir empty;
        QProcess first;
        first.start(script(), {QStringLiteral("load"), empty.path()});
        return first.waitForFinished(kTimeoutMs);
    }();
    (void)wineReady;
    auto process = std::make_unique<QProcess>();
    process->start(script(), {command, directory});
    return process;
}

// Waits for the script: "" when it succeeded, else what went wrong.
inline QString finish(QProcess &process, const QString &what)
{
    if (process.waitForFinished(kTimeoutMs) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return {};
    return what + QStringLiteral(": exit %1, %2. ").arg(process.exitCode()).arg(process.errorString())
        + QString::fromUtf8(process.readAllStandardError());
}

// Every line is one record of six hex fields, until "count N" ends the output.
inline Load parseLoad(const QByteArray &output)
{
    Load load;
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (line.startsWith("count ")) {
            if (line.mid(6).toLongLong() != qsizetype(load.records.size()))
                load.error = QStringLiteral("the count line disagrees with the records printed");
            return load;
        }
        if (fields.size() != 6) {
            load.error = QStringLiteral("unexpected line: ") + QString::fromLatin1(line.left(80));
            return load;
        }
        SiteRecord &record = load.records.emplace_back();
        for (int i = 0; i < 6; ++i)
            record.*kRecordFields[i] = QByteArray::fromHex(fields[i]);
    }
    load.error = QStringLiteral("no count line in the output");
    return load;
}

} // namespace detail

// Why the oracle cannot be used here, or "" when it can.
inline QString unavailableReason()
{
    if (!QFileInfo(detail::script()).isExecutable())
        return QStringLiteral("profile oracle not found at ") + detail::script() + QStringLiteral(" (the shared folder beside the source tree)");
    return {};
}

// Saves `records` into `directory` as the Windows program would (six writes per record, then
// the count).
inline QString save(const QString &directory, const std::vector<SiteRecord> &records)
{
    QByteArray input;
    for (const SiteRecord &record : records) {
        for (int i = 0; i < 6; ++i)
            input.append(i ? "\t" : "").append((record.*kRecordFields[i]).toHex());
        input.append('\n');
    }
    const auto process = detail::start(QStringLiteral("save"), directory);
    process->write(input);
    process->closeWriteChannel();
    return detail::finish(*process, QStringLiteral("oracle save ") + directory);
}

// Loads the register in each directory, side by side; the results in the order of `directories`.
inline std::vector<Load> load(const QStringList &directories)
{
    std::vector<std::unique_ptr<QProcess>> running;
    for (const QString &directory : directories)
        running.push_back(detail::start(QStringLiteral("load"), directory));
    std::vector<Load> results;
    for (qsizetype i = 0; i < directories.size(); ++i) {
        QProcess &process = *running[std::size_t(i)];
        Load failed{detail::finish(process, QStringLiteral("oracle load ") + directories[i]), {}};
        results.push_back(failed.error.isEmpty() ? detail::parseLoad(process.readAllStandardOutput()) : failed);
    }
    return results;
}

} // namespace ProfileOracle
