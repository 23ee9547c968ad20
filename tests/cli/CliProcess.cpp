#include "CliProcess.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

CliRun runCli(const QString &dir, const std::vector<const char *> &arguments)
{
    QStringList args{QStringLiteral("--dir"), dir};
    for (const char *argument : arguments)
        args << QString::fromUtf8(argument);
    QProcess process;
    process.start(QStringLiteral(SITEKANRI_CLI_PATH), args);
    EXPECT_TRUE(process.waitForFinished(30000)) << process.errorString().toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}
