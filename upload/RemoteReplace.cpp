#include "RemoteReplace.h"

#include "RemoteNames.h"

namespace {

struct Names
{
    QByteArray file, temporary, aside;
};

Names namesOf(const UploadServer &server, const QString &remotePath, const QString &run)
{
    const QString folder = RemoteNames::folderOf(remotePath);
    const QString base = RemoteNames::baseOf(remotePath);
    const auto inFolder = [&](const QString &name) {
        return RemoteNames::commandPath(server, folder.isEmpty() ? name : folder + u'/' + name);
    };
    return {inFolder(base), inFolder(RemoteNames::temporaryName(base, run)), inFolder(RemoteNames::asideName(base, run))};
}

bool sftp(const UploadServer &server)
{
    return server.protocol == UploadProtocol::Sftp;
}

// One rename, as the protocol words it; `mark` ("" or "*") says whether it may fail.
QList<QByteArray> renamed(const UploadServer &server, const QByteArray &from, const QByteArray &to, const char *mark)
{
    if (sftp(server))
        return {mark + QByteArray("rename ") + from + ' ' + to};
    return {mark + QByteArray("RNFR ") + from, mark + QByteArray("RNTO ") + to};
}

QByteArray removed(const UploadServer &server, const QByteArray &name)
{
    return (sftp(server) ? QByteArray("*rm ") : QByteArray("*DELE ")) + name;
}

} // namespace

namespace RemoteReplace {

QList<QByteArray> rename(const UploadServer &server, const QString &remotePath, const QString &run)
{
    const Names names = namesOf(server, remotePath, run);
    return renamed(server, names.temporary, names.file, "");
}

QList<QByteArray> swap(const UploadServer &server, const QString &remotePath, const QString &run, bool tolerant)
{
    const Names names = namesOf(server, remotePath, run);
    QList<QByteArray> commands = renamed(server, names.file, names.aside, tolerant ? "*" : "");
    commands += renamed(server, names.temporary, names.file, "");
    commands += removed(server, names.aside);
    return commands;
}

QList<QByteArray> tidy(const UploadServer &server, const QString &remotePath, const QString &run)
{
    const Names names = namesOf(server, remotePath, run);
    // Renaming back is refused where the name holds a file (the server will not replace, or the
    // page set aside would not exist): only a missing page is put back.
    QList<QByteArray> commands = renamed(server, names.aside, names.file, "*");
    commands += removed(server, names.aside);
    commands += removed(server, names.temporary);
    return commands;
}

} // namespace RemoteReplace
