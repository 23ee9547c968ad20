#include "ProfileOracle.h"

#include "TempRegister.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

namespace {

// Wine's first start in a fresh prefix takes a while; a hung Wine should still end the test.
constexpr int kTimeoutMs = 300'000;

std::unique_ptr<QProcess> start(const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->start(ProfileOracle::scriptPath(), arguments);
    return process;
}

// Waits for the script: "" when it succeeded, else what went wrong.
QString finish(QProcess &process, const QString &what)
{
    if (process.waitForFinished(kTimeoutMs) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return {};
    const QString how = process.error() == QProcess::Timedout       ? QStringLiteral("timed out")
        : process.exitStatus() != QProcess::NormalExit ? QStringLiteral("crashed")
                                                       : QStringLiteral("exit %1").arg(process.exitCode());
    return what + QStringLiteral(": ") + how + QStringLiteral(". ") + QString::fromUtf8(process.readAllStandardError());
}

// Wine sets up a fresh prefix on its first start; loads started side by side must not race to
// do it, so the first use in this process is a lone load of an empty register.
void startWineOnce()
{
    static const bool started = [] {
        QTemporaryDir empty;
        return start({QStringLiteral("load"), empty.path()})->waitForFinished(kTimeoutMs);
    }();
    (void)started;
}

// Every line is one record of six hex fields, until "count N" ends the output.
ProfileOracle::Load parseLoad(const QByteArray &output)
{
    ProfileOracle::Load load;
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (line.startsWith("count ")) {
            load.ok = line.mid(6).toLongLong() == qsizetype(load.records.size());
            load.error = load.ok ? QString() : QStringLiteral("the count line disagrees with the records printed");
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

} // namespace

QString ProfileOracle::scriptPath()
{
    return QString::fromUtf8(SITEKANRI_PROFILE_ORACLE);
}

QString ProfileOracle::unavailableReason()
{
    if (scriptPath().isEmpty())
        return QStringLiteral("no profile oracle configured (SITEKANRI_PROFILE_ORACLE)");
    if (!QFileInfo(scriptPath()).isExecutable())
        return QStringLiteral("profile oracle not found at ") + scriptPath() + QStringLiteral(" (the shared folder beside the source tree)");
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
    return finish(*process, QStringLiteral("oracle save ") + directory);
}

std::vector<ProfileOracle::Load> ProfileOracle::load(const QStringList &directories)
{
    startWineOnce();
    std::vector<std::unique_ptr<QProcess>> running;
    for (const QString &directory : directories)
        running.push_back(start({QStringLiteral("load"), directory}));
    std::vector<Load> results;
    for (qsizetype i = 0; i < directories.size(); ++i) {
        QProcess &process = *running[std::size_t(i)];
        Load failed;
        failed.error = finish(process, QStringLiteral("oracle load ") + directories[i]);
        results.push_back(failed.error.isEmpty() ? parseLoad(process.readAllStandardOutput()) : failed);
    }
    return results;
}
