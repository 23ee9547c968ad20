#include "SyncthingPair.h"

#include "ConflictCopyName.h"
#include "TempRegister.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QUuid>

namespace {

const QString kFolderId = QStringLiteral("register");

int freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// What both devices must agree on: every file but Syncthing's own marker and working files.
Snapshot SharedFiles(const QString &folder)
{
    Snapshot files = TakeSnapshot(folder);
    for (auto it = files.begin(); it != files.end();)
        it = it->first == QLatin1String(".stfolder") || IsSyncToolFile(it->first) ? files.erase(it) : std::next(it);
    return files;
}

} // namespace

SyncthingPair::SyncthingPair()
{
    for (auto &device : m_devices)
        device = std::make_unique<Device>();
}

SyncthingPair::~SyncthingPair()
{
    for (auto &device : m_devices) {
        if (device->process.state() == QProcess::NotRunning)
            continue;
        device->process.terminate();
        if (!device->process.waitForFinished(5000)) {
            device->process.kill();
            device->process.waitForFinished(2000);
        }
    }
}

QString SyncthingPair::program()
{
    return QStandardPaths::findExecutable(QStringLiteral("syncthing"));
}

QString SyncthingPair::dataHome(int side) const
{
    return m_base.path() + QStringLiteral("/computer%1").arg(side + 1);
}

QString SyncthingPair::folder(int side) const
{
    return dataHome(side) + QStringLiteral("/sitekanri");
}

bool SyncthingPair::generate(Device &device, QString &why)
{
    QProcess run;
    run.start(program(), {QStringLiteral("generate"), QStringLiteral("--home=") + device.home,
                          QStringLiteral("--no-default-folder")});
    if (!run.waitForFinished(20000) || run.exitCode() != 0) {
        why = QStringLiteral("syncthing generate: ") + QString::fromUtf8(run.readAllStandardError());
        return false;
    }
    const QRegularExpressionMatch id = QRegularExpression(QStringLiteral("Device ID: ([A-Z0-9-]+)"))
                                           .match(QString::fromUtf8(run.readAllStandardOutput() + run.readAllStandardError()));
    if (!id.hasMatch()) {
        why = QStringLiteral("syncthing generate named no device");
        return false;
    }
    device.id = id.captured(1);
    device.apiKey = QUuid::createUuid().toString(QUuid::WithoutBraces);
    device.listenPort = freePort();
    device.guiPort = freePort();
    return true;
}

void SyncthingPair::writeConfig(const Device &self, const Device &other) const
{
    const int side = &self == m_devices[0].get() ? 0 : 1;
    // Changes are seen by the folder watcher within a second; the tests also ask for scans.
    const QString config = QStringLiteral(R"(<configuration version="36">
  <folder id="%1" label="register" path="%2" type="sendreceive" rescanIntervalS="3600" fsWatcherEnabled="true" fsWatcherDelayS="1" ignorePerms="false" autoNormalize="true">
    <filesystemType>basic</filesystemType>
    <device id="%3"></device>
    <device id="%4"></device>
    <minDiskFree unit="%">0</minDiskFree>
    <maxConflicts>10</maxConflicts>
    <markerName>.stfolder</markerName>
  </folder>
  <device id="%3" name="computer%5" compression="metadata"><address>dynamic</address></device>
  <device id="%4" name="other" compression="metadata"><address>tcp://127.0.0.1:%6</address></device>
  <gui enabled="true" tls="false"><address>127.0.0.1:%7</address><apikey>%8</apikey></gui>
  <options>
    <listenAddress>tcp://127.0.0.1:%9</listenAddress>
    <globalAnnounceEnabled>false</globalAnnounceEnabled>
    <localAnnounceEnabled>false</localAnnounceEnabled>
    <relaysEnabled>false</relaysEnabled>
    <natEnabled>false</natEnabled>
    <urAccepted>-1</urAccepted>
    <urSeen>3</urSeen>
    <crashReportingEnabled>false</crashReportingEnabled>
    <startBrowser>false</startBrowser>
    <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
    <reconnectionIntervalS>1</reconnectionIntervalS>
    <stunKeepaliveStartS>0</stunKeepaliveStartS>
    <minHomeDiskFree unit="%">0</minHomeDiskFree>
  </options>
</configuration>
)")
                               .arg(kFolderId, folder(side), self.id, other.id)
                               .arg(side + 1)
                               .arg(other.listenPort)
                               .arg(self.guiPort)
                               .arg(self.apiKey)
                               .arg(self.listenPort);
    QFile file(self.home + QStringLiteral("/config.xml"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(config.toUtf8());
}

bool SyncthingPair::start(QString &why)
{
    for (int side = 0; side < 2; ++side) {
        Device &device = *m_devices[side];
        device.home = m_base.path() + QStringLiteral("/syncthing%1").arg(side + 1);
        QDir().mkpath(folder(side) + QStringLiteral("/.stfolder"));
        if (!generate(device, why))
            return false;
    }
    for (int side = 0; side < 2; ++side) {
        Device &device = *m_devices[side];
        writeConfig(device, *m_devices[1 - side]);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), device.home); // nothing of the user's own Syncthing
        env.insert(QStringLiteral("STNOUPGRADE"), QStringLiteral("1"));
        env.insert(QStringLiteral("STNORESTART"), QStringLiteral("1"));
        device.process.setProcessEnvironment(env);
        device.process.setProcessChannelMode(QProcess::MergedChannels);
        device.process.setStandardOutputFile(device.home + QStringLiteral("/log.txt"));
        device.process.start(program(), {QStringLiteral("serve"), QStringLiteral("--home=") + device.home,
                                         QStringLiteral("--no-browser"), QStringLiteral("--no-restart"),
                                         QStringLiteral("--no-upgrade")});
        if (!device.process.waitForStarted(10000)) {
            why = QStringLiteral("syncthing did not start: ") + device.process.errorString();
            return false;
        }
    }
    QString last;
    const bool up = QTest::qWaitFor([&] { return connected(*m_devices[0], last) && connected(*m_devices[1], last); }, 30000);
    if (!up)
        why = QStringLiteral("the two devices did not connect: ") + last;
    return up;
}

QByteArray SyncthingPair::rest(const Device &device, const QByteArray &method, const QString &path, QString &why,
                               int timeoutMs) const
{
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(device.guiPort).arg(path)));
    request.setRawHeader("X-API-Key", device.apiKey.toUtf8());
    QNetworkReply *reply = network.sendCustomRequest(request, method);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    QByteArray body;
    if (!reply->isFinished())
        why = path + QStringLiteral(": no answer in time");
    else if (reply->error() != QNetworkReply::NoError)
        why = path + QStringLiteral(": ") + reply->errorString();
    else
        body = reply->readAll() + ' '; // an empty answer is still an answer
    reply->abort();
    reply->deleteLater();
    return body;
}

QJsonObject SyncthingPair::restJson(const Device &device, const QString &path, QString &why) const
{
    return QJsonDocument::fromJson(rest(device, "GET", path, why)).object();
}

bool SyncthingPair::connected(const Device &device, QString &why) const
{
    const QJsonObject connections = restJson(device, QStringLiteral("/rest/system/connections"), why);
    const Device &other = *m_devices[&device == m_devices[0].get() ? 1 : 0];
    return connections.value(QStringLiteral("connections")).toObject().value(other.id).toObject()
        .value(QStringLiteral("connected")).toBool();
}

bool SyncthingPair::pause(QString &why)
{
    if (rest(*m_devices[0], "POST", QStringLiteral("/rest/system/pause?device=") + m_devices[1]->id, why).isEmpty())
        return false;
    return QTest::qWaitFor([&] { return !connected(*m_devices[0], why) && !connected(*m_devices[1], why); }, 10000);
}

bool SyncthingPair::resume(QString &why)
{
    if (rest(*m_devices[0], "POST", QStringLiteral("/rest/system/resume?device=") + m_devices[1]->id, why).isEmpty())
        return false;
    return QTest::qWaitFor([&] { return connected(*m_devices[0], why) && connected(*m_devices[1], why); }, 20000);
}

bool SyncthingPair::scan(QString &why)
{
    for (const auto &device : m_devices) {
        if (rest(*device, "POST", QStringLiteral("/rest/db/scan?folder=") + kFolderId, why).isEmpty())
            return false;
    }
    return true;
}

bool SyncthingPair::settle(int timeoutMs, QString &why)
{
    QElapsedTimer waited;
    waited.start();
    int quietPolls = 0;
    Snapshot previous;
    while (waited.elapsed() < timeoutMs) {
        QTest::qWait(150);
        why.clear();
        bool quiet = scan(why);
        for (int side = 0; quiet && side < 2; ++side) {
            const Device &device = *m_devices[side];
            const QJsonObject status = restJson(device, QStringLiteral("/rest/db/status?folder=") + kFolderId, why);
            const QJsonObject done = restJson(device, QStringLiteral("/rest/db/completion?folder=%1&device=%2")
                                                          .arg(kFolderId, m_devices[1 - side]->id), why);
            quiet = status.value(QStringLiteral("state")).toString() == QLatin1String("idle")
                && status.value(QStringLiteral("needTotalItems")).toInt(-1) == 0
                && done.value(QStringLiteral("completion")).toDouble() >= 100.0 && connected(device, why);
            if (!quiet && why.isEmpty())
                why = QStringLiteral("device %1 still busy: %2").arg(side + 1).arg(QString::fromUtf8(QJsonDocument(status).toJson(QJsonDocument::Compact)));
        }
        const Snapshot one = SharedFiles(folder(0));
        if (quiet && one != SharedFiles(folder(1))) {
            quiet = false;
            why = QStringLiteral("the two folders differ");
        }
        quietPolls = quiet && one == previous ? quietPolls + 1 : 0;
        previous = one;
        if (quietPolls >= 2)
            return true;
    }
    why = QStringLiteral("not settled in %1 ms: ").arg(timeoutMs) + why;
    return false;
}
