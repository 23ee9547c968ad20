#pragma once

#include <QByteArray>
#include <QString>

class RegisterFolder;
class SiteList;
struct OperationResult;

// How every sitekanri-cli command reports, for commands kept in files of their own. Each returns
// the exit code to end with.
int CliFail(const QString &message);            // one line on stderr; exit 1
int CliUsage(const QString &message);           // the line and the usage on stderr; exit 2
int CliWriteOut(const QByteArray &bytes);       // stdout, a short write being a failure
int CliLoadRegister(RegisterFolder &folder, SiteList &sites);
int CliOperationFailed(const OperationResult &result);
