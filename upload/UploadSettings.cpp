#include "UploadSettings.h"

#include <QCoreApplication>
#include <QSettings>

#include <algorithm>
#include <memory>

namespace {

std::unique_ptr<QSettings> openSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QCoreApplication::applicationName(), QStringLiteral("upload"));
}

QString loginName(SshLogin login)
{
    return login == SshLogin::KeyFile ? QStringLiteral("keyfile")
        : login == SshLogin::Password ? QStringLiteral("password")
                                      : QStringLiteral("agent");
}

UploadServer readServer(const QSettings &settings)
{
    UploadServer server;
    server.name = settings.value(QStringLiteral("name")).toString();
    if (!UploadProtocolFromName(settings.value(QStringLiteral("protocol")).toString(), server.protocol))
        server.protocol = UploadProtocol::Sftp;
    server.host = settings.value(QStringLiteral("host")).toString();
    server.port = settings.value(QStringLiteral("port"), 0).toInt();
    server.user = settings.value(QStringLiteral("user")).toString();
    server.folder = settings.value(QStringLiteral("folder")).toString();
    server.siteFolder = settings.value(QStringLiteral("siteFolder")).toString();
    const QString login = settings.value(QStringLiteral("login")).toString();
    server.sshLogin = login == loginName(SshLogin::KeyFile) ? SshLogin::KeyFile
        : login == loginName(SshLogin::Password)            ? SshLogin::Password
                                                             : SshLogin::Agent;
    server.keyFile = settings.value(QStringLiteral("keyFile")).toString();
    server.certificatePin = settings.value(QStringLiteral("certificatePin")).toString();
    server.clearTextAccepted = settings.value(QStringLiteral("clearTextAccepted"), false).toBool();
    return server;
}

void writeServer(QSettings &settings, const UploadServer &server)
{
    settings.setValue(QStringLiteral("name"), server.name);
    settings.setValue(QStringLiteral("protocol"), UploadProtocolName(server.protocol));
    settings.setValue(QStringLiteral("host"), server.host);
    settings.setValue(QStringLiteral("port"), server.port);
    settings.setValue(QStringLiteral("user"), server.user);
    settings.setValue(QStringLiteral("folder"), server.folder);
    settings.setValue(QStringLiteral("siteFolder"), server.siteFolder);
    settings.setValue(QStringLiteral("login"), loginName(server.sshLogin));
    settings.setValue(QStringLiteral("keyFile"), server.keyFile);
    settings.setValue(QStringLiteral("certificatePin"), server.certificatePin);
    settings.setValue(QStringLiteral("clearTextAccepted"), server.clearTextAccepted);
}

void writeAll(const QList<UploadServer> &servers)
{
    const auto settings = openSettings();
    settings->remove(QStringLiteral("servers"));
    settings->beginWriteArray(QStringLiteral("servers"), int(servers.size()));
    for (int i = 0; i < servers.size(); ++i) {
        settings->setArrayIndex(i);
        writeServer(*settings, servers[i]);
    }
    settings->endArray();
}

} // namespace

namespace UploadSettings {

QList<UploadServer> load()
{
    const auto settings = openSettings();
    QList<UploadServer> servers;
    const int count = settings->beginReadArray(QStringLiteral("servers"));
    for (int i = 0; i < count; ++i) {
        settings->setArrayIndex(i);
        servers.append(readServer(*settings));
    }
    settings->endArray();
    return servers;
}

UploadServer find(const QString &name)
{
    for (const UploadServer &server : load())
        if (server.name == name)
            return server;
    return {};
}

void save(const UploadServer &server)
{
    QList<UploadServer> servers = load();
    auto same = std::find_if(servers.begin(), servers.end(), [&](const UploadServer &s) { return s.name == server.name; });
    if (same == servers.end())
        servers.append(server);
    else
        *same = server;
    writeAll(servers);
}

void remove(const QString &name)
{
    QList<UploadServer> servers = load();
    servers.removeIf([&](const UploadServer &s) { return s.name == name; });
    writeAll(servers);
}

void keepLearnt(const UploadServer &ran)
{
    UploadServer now = find(ran.name);
    if (now.host.isEmpty() || now.identity() != ran.identity())
        return;
    if (now.certificatePin == ran.certificatePin && now.clearTextAccepted == ran.clearTextAccepted)
        return;
    now.certificatePin = ran.certificatePin;
    now.clearTextAccepted = ran.clearTextAccepted;
    save(now);
}

} // namespace UploadSettings
