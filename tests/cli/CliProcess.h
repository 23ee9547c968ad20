#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// One run of the real sitekanri-cli (the binary of this build) on the register in `dir`.
struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CliRun runCli(const QString &dir, const std::vector<const char *> &arguments);
