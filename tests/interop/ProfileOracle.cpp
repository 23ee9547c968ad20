#include "ProfileOracle.h"

#include "InteropSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

namespace {

// Wine's first start in a fresh prefix takes a while; a hung Wine should still end the test.
constexpr int kTimeoutMs = 300'000;

QString failure(QProcess &process, const QString &what)
{
    const QString how = process.error() == QProcess::Timedout       ? QStringLiteral("timed out")
        : process.exitStatus() != QProcess::NormalExit ? QStringLiteral("crashed")
                                                       : QStringLiteral("exit %1").arg(process.exitCode());
    return what + QStringLiteral(": ") + how + QStringLiteral(". ") + QString::fromUtf8(process.readAllStandardError());
}

bool succeeded(QProcess &process)
{
    return process.waitForFinished(kTimeoutMs) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

std::unique_ptr<QProcess> start(const QStringList &arguments, QIODevice::OpenMode mode = QIODevice::ReadWrite)
{
    auto process = std::make_unique<QProcess>();
    process->start(ProfileOracle::scriptPath(), arguments, mode);
    return process;
}

// Wine sets up a fresh prefix on its first start; loads started side by side must not race to
// do it, so the first use in this process is a lone load of an empty register.
void startWineOnce()
{
    static const bool started = [] {
        QTemporaryDir empty;
        return start({QStringLiteral("load"), empty.path()}, QIODevice::ReadOnly)->waitForFinished(kTimeoutMs);
    }();
    (void)started;
}

// "count N" ends the output; every line before it is one record of six hex fields.
ProfileOracle::Load parseLoad(const QByteArray &output)
{
    ProfileOracle::Load load;
    const QList<QByteArray> lines = output.split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("count ")) {
            const qsizetype count = line.mid(6).toLongLong(&load.ok);
            if (load.ok && count != qsizetype(load.records.size())) {
                load.ok = false;
                load.error = QStringLiteral("count line disagrees with the records printed");
            }
            return load;
        }
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 6) {
            load.error = QStringLiteral("unexpected line: ") + QString::fromLatin1(line.left(80));
            return load;
        }
        SiteRecord record;
        for (int i = 0; i < 6; ++i)
            record.*kRecordFields[i] = QByteArray::fromHex(fields[i]);
        load.records.push_back(record);
    }
    load.error = QStringLiteral("no count line in the output");
    return load;
}

} // namespace

QString ProfileOracle::scriptPath()
{
    return QString::fromUtf8(SITEKANRI_PROFILE_ORACLE);
}

QString ProfileOracle::unavailableReason()
{
    const QString script = scriptPath();
    if (script.isEmpty())
        return QStringLiteral("no profile oracle configured (SITEKANRI_PROFILE_ORACLE)");
    if (!QFileInfo(script).isExecutable())
        return QStringLiteral("profile oracle not found at ") + script
            + QStringLiteral(" (the shared folder beside the source tree)");
    return {};
}

QString ProfileOracle::save(const QString &directory, const std::vector<SiteRecord> &records)
{
    QByteArray input;
    for (const SiteRecord &record : records) {
        for (int i = 0; i < 6; ++i)
            input.append(i ? "\t" : "").append((record.*kRecordFields[i]).toHex());
        input.append('\n');
    }
    startWineOnce();
    const auto process = start({QStringLiteral("save"), directory});
    process->write(input);
    process->closeWriteChannel();
    if (!succeeded(*process))
        return failure(*process, QStringLiteral("oracle save ") + directory);
    return {};
}

std::vector<ProfileOracle::Load> ProfileOracle::load(const QStringList &directories)
{
    startWineOnce();
    std::vector<std::unique_ptr<QProcess>> running;
    for (const QString &directory : directories)
        running.push_back(start({QStringLiteral("load"), directory}, QIODevice::ReadOnly));
    std::vector<Load> results;
    for (qsizetype i = 0; i < directories.size(); ++i) {
        QProcess &process = *running[std::size_t(i)];
        Load failed;
        if (!succeeded(process))
            failed.error = failure(process, QStringLiteral("oracle load ") + directories[i]);
        results.push_back(failed.error.isEmpty() ? parseLoad(process.readAllStandardOutput()) : failed);
    }
    return results;
}
