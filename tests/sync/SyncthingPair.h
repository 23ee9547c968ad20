#pragma once

#include "ConflictCopyName.h"
#include "TempRegister.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

namespace {

inline int freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// What both devices must agree on: every file but Syncthing's own marker and working files.
inline Snapshot sharedFiles(const QString &folder)
{
    Snapshot files = TakeSnapshot(folder);
    for (auto it = files.begin(); it != files.end();)
        it = it->first == QLatin1String(".stfolder") || IsSyncToolFile(it->first) ? files.erase(it) : std::next(it);
    return files;
}

// Changes are seen by the folder watcher within a second; the tests also ask for scans. A folder
// read from the file gets no defaults: what it leaves out is zero (no conflict copies at all).
inline const char kConfig[] = R"(<configuration version="36">
  <folder id="register" path="%1" type="sendreceive" rescanIntervalS="3600" fsWatcherEnabled="true" fsWatcherDelayS="1" autoNormalize="true">
    <filesystemType>basic</filesystemType>
    <device id="%2"></device><device id="%3"></device>
    <minDiskFree unit="%">0</minDiskFree>
    <maxConflicts>10</maxConflicts>
    <markerName>.stfolder</markerName>
  </folder>
  <device id="%2"><address>dynamic</address></device>
  <device id="%3"><address>tcp://127.0.0.1:%4</address></device>
  <gui enabled="true" tls="false"><address>127.0.0.1:%5</address><apikey>%6</apikey></gui>
  <options>
    <listenAddress>tcp://127.0.0.1:%7</listenAddress>
    <globalAnnounceEnabled>false</globalAnnounceEnabled>
    <localAnnounceEnabled>false</localAnnounceEnabled>
    <relaysEnabled>false</relaysEnabled>
    <natEnabled>false</natEnabled>
    <stunKeepaliveStartS>0</stunKeepaliveStartS>
    <urAccepted>-1</urAccepted>
    <crashReportingEnabled>false</crashReportingEnabled>
    <reconnectionIntervalS>1</reconnectionIntervalS>
    <minHomeDiskFree unit="%">0</minHomeDiskFree>
  </options>
</configuration>
)";

} // namespace

// Two real Syncthing devices on this machine sharing one folder, as two computers share a register.
// Everything stays on 127.0.0.1: each device listens there and knows the other's address; discovery,
// relays, NAT traversal, usage and crash reporting are off. The link between them is paused and
// resumed through Syncthing's REST interface, so that changes made meanwhile on both sides race, as
// on two computers apart: each keeps scanning its own folder while the other is away. Each call
// returns "" when it worked, else why not.
class SyncthingPair
{
public:
    ~SyncthingPair()
    {
        for (Device &device : m_devices) { // a device still running after that is killed with its QProcess
            device.process.terminate();
            device.process.waitForFinished(5000);
        }
    }

    // Where Syncthing is; empty when it is not installed.
    static QString program() { return QStandardPaths::findExecutable(QStringLiteral("syncthing")); }

    // Makes both devices and starts them connected.
    QString start()
    {
        for (int side = 0; side < 2; ++side) {
            Device &device = m_devices[side];
            device.home = m_base.path() + QStringLiteral("/syncthing%1").arg(side + 1);
            QDir().mkpath(folder(side) + QStringLiteral("/.stfolder"));
            const ProgramRun run = RunProgram(program(), {QStringLiteral("generate"), QStringLiteral("--home=") + device.home, QStringLiteral("--no-default-folder")});
            const QString said = QString::fromUtf8(run.out + run.err);
            device.id = QRegularExpression(QStringLiteral("Device ID: ([A-Z0-9-]+)")).match(said).captured(1);
            if (device.id.isEmpty())
                return QStringLiteral("syncthing generate named no device: ") + said;
            device.apiKey = QUuid::createUuid().toString(QUuid::WithoutBraces);
            device.listenPort = freePort();
            device.guiPort = freePort();
        }
        for (int side = 0; side < 2; ++side) {
            Device &device = m_devices[side];
            const Device &other = m_devices[1 - side];
            QFile config(device.home + QStringLiteral("/config.xml"));
            if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return config.fileName() + QStringLiteral(": ") + config.errorString();
            config.write(QString::fromLatin1(kConfig).arg(folder(side), device.id, other.id).arg(other.listenPort).arg(device.guiPort)
                             .arg(device.apiKey).arg(device.listenPort).toUtf8());
            config.close();
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("HOME"), device.home); // nothing of the user's own Syncthing
            env.insert(QStringLiteral("STNOUPGRADE"), QStringLiteral("1"));
            device.process.setProcessEnvironment(env);
            device.process.setProcessChannelMode(QProcess::MergedChannels);
            device.process.setStandardOutputFile(device.home + QStringLiteral("/log.txt"));
            device.process.start(program(), {QStringLiteral("serve"), QStringLiteral("--home=") + device.home, QStringLiteral("--no-browser"),
                                             QStringLiteral("--no-restart"), QStringLiteral("--no-upgrade")});
            if (!device.process.waitForStarted(10000))
                return QStringLiteral("syncthing did not start: ") + device.process.errorString();
        }
        QString why;
        const bool up = QTest::qWaitFor([&] { return connected(0, why) && connected(1, why); }, 30000);
        return up ? QString() : QStringLiteral("the two devices did not connect: ") + why;
    }
    // The home each device's programs may use as XDG_DATA_HOME: its folder is <home>/sitekanri.
    QString dataHome(int side) const { return m_base.path() + QStringLiteral("/computer%1").arg(side + 1); }
    // The shared folder as device `side` (0 or 1) holds it.
    QString folder(int side) const { return dataHome(side) + QStringLiteral("/sitekanri"); }

    // Pauses or resumes the link between the devices, and waits until both see it so.
    QString link(bool up)
    {
        QString why;
        if (rest(0, "POST", QStringLiteral("/rest/system/%1?device=%2").arg(up ? QLatin1String("resume") : QLatin1String("pause"), m_devices[1].id), why).isEmpty())
            return why;
        const bool seen = QTest::qWaitFor([&] { return connected(0, why) == up && connected(1, why) == up; }, 20000);
        return seen ? QString() : QStringLiteral("the link did not %1: %2").arg(up ? QLatin1String("come up") : QLatin1String("go down"), why);
    }
    // Pauses or resumes the shared folder on both devices: neither scans nor syncs it meanwhile.
    QString folderUp(bool up)
    {
        QString why;
        for (int side = 0; side < 2; ++side) {
            if (rest(side, "PATCH", QStringLiteral("/rest/config/folders/register"), why,
                     up ? QByteArrayLiteral("{\"paused\":false}") : QByteArrayLiteral("{\"paused\":true}"))
                    .isEmpty())
                return why;
        }
        return {};
    }
    // Has both devices scan their folders until both are idle, connected, need nothing and hold the
    // same files, twice in a row, for at most `timeoutMs`.
    QString settle(int timeoutMs)
    {
        QElapsedTimer waited;
        waited.start();
        int quietPolls = 0;
        Snapshot previous;
        QString why;
        while (quietPolls < 2) {
            if (waited.elapsed() > timeoutMs)
                return QStringLiteral("not settled in %1 ms: ").arg(timeoutMs) + why;
            QTest::qWait(150);
            why.clear();
            for (int side = 0; side < 2 && why.isEmpty(); ++side)
                rest(side, "POST", QStringLiteral("/rest/db/scan?folder=register"), why);
            for (int side = 0; side < 2 && why.isEmpty(); ++side) {
                const QByteArray status = rest(side, "GET", QStringLiteral("/rest/db/status?folder=register"), why);
                const QJsonObject state = QJsonDocument::fromJson(status).object();
                const QJsonObject done = QJsonDocument::fromJson(rest(side, "GET", QStringLiteral("/rest/db/completion?folder=register&device=")
                                                                                        + m_devices[1 - side].id, why)).object();
                if (state[QStringLiteral("state")] != QStringLiteral("idle") || state[QStringLiteral("needTotalItems")].toInt(-1) != 0
                    || done[QStringLiteral("completion")].toDouble() < 100.0 || !connected(side, why))
                    why = QStringLiteral("device %1 still busy: %2").arg(side + 1).arg(QString::fromUtf8(status));
            }
            const Snapshot one = sharedFiles(folder(0));
            if (why.isEmpty() && one != sharedFiles(folder(1)))
                why = QStringLiteral("the two folders differ");
            quietPolls = why.isEmpty() && one == previous ? quietPolls + 1 : 0;
            previous = one;
        }
        return {};
    }

private:
    struct Device
    {
        QString home, id, apiKey;
        int listenPort = 0, guiPort = 0;
        QProcess process;
    };

    // One REST request: the body of the answer; empty, with `why`, when it failed.
    QByteArray rest(int side, const QByteArray &method, const QString &path, QString &why, const QByteArray &body = {}) const
    {
        QNetworkAccessManager network;
        QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_devices[side].guiPort).arg(path)));
        request.setRawHeader("X-API-Key", m_devices[side].apiKey.toUtf8());
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        request.setTransferTimeout(20000);
        QNetworkReply *reply = network.sendCustomRequest(request, method, body);
        if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, 25000))
            reply->abort(); // (the transfer timeout should have ended it)
        reply->deleteLater();
        if (reply->error() == QNetworkReply::NoError)
            return reply->readAll() + ' '; // an empty answer is still an answer
        why = path + QStringLiteral(": ") + reply->errorString();
        return {};
    }
    bool connected(int side, QString &why) const
    {
        const QJsonObject connections = QJsonDocument::fromJson(rest(side, "GET", QStringLiteral("/rest/system/connections"), why)).object();
        return connections[QStringLiteral("connections")][m_devices[1 - side].id][QStringLiteral("connected")].toBool();
    }

    QTemporaryDir m_base;
    Device m_devices[2];
};
