#pragma once

#include "UploadServer.h"

#include <QByteArray>
#include <QString>

// Where a file goes on the server and the names it passes through on the way: the path under the
// server's folder as the user's site names it ("blog/index.html"), its temporary beside it
// (".index.html.sitekanri-<run>.tmp") and, on servers whose rename will not replace a file, the
// name the old file steps aside to (".index.html.sitekanri-<run>.old").
namespace RemoteNames {

// Why `relative` cannot be a file's place under the server's folder (absolute, "..", an empty
// part, a control character, which a server command would take for the end of a line); empty
// when it can.
QString problem(const QString &relative);

QString folderOf(const QString &relative); // "blog" of "blog/index.html", "" at the top
QString baseOf(const QString &relative);   // "index.html"
QString temporaryName(const QString &base, const QString &run);
QString asideName(const QString &base, const QString &run);

// The URL of a file or folder (`relative` ends with '/') under the server's folder, every part
// percent-encoded: sftp://host:22/abs/path, sftp://host:22/~/under/home, ftp://host:21/path.
QByteArray url(const UploadServer &server, const QString &relative);
// The path a server command names `relative` by. SFTP commands take the whole path, quoted;
// FTP commands run in the file's folder and take its name alone.
QByteArray commandPath(const UploadServer &server, const QString &relative);

} // namespace RemoteNames
