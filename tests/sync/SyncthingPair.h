#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Two real Syncthing devices on this machine sharing one folder, as two computers share a register.
// Everything stays on 127.0.0.1: each device listens there and knows the other's address; discovery,
// relays, NAT traversal, usage and crash reporting are off. The link between them is paused and
// resumed through Syncthing's REST interface, so that changes made meanwhile on both sides race.
// Each call returns "" when it worked, else why not.
class SyncthingPair
{
public:
    ~SyncthingPair();

    // Where Syncthing is; empty when it is not installed.
    static QString program();

    // Makes both devices and starts them connected.
    QString start();
    // The home each device's programs may use as XDG_DATA_HOME: its folder is <home>/sitekanri.
    QString dataHome(int side) const;
    // The shared folder as device `side` (0 or 1) holds it.
    QString folder(int side) const { return dataHome(side) + QStringLiteral("/sitekanri"); }

    // Pauses or resumes the link, and waits until both devices see it so.
    QString link(bool up);
    // Has both devices look at their folders now (a scan records what changed as that side's version).
    QString scan();
    // Waits until both devices are idle, connected, need nothing and hold the same files, twice in a
    // row, for at most `timeoutMs`.
    QString settle(int timeoutMs);

private:
    struct Device
    {
        QString home, id, apiKey;
        int listenPort = 0, guiPort = 0;
        QProcess process;
    };

    // One REST request: the body of the answer; empty, with `why`, when it failed.
    QByteArray rest(int side, const QByteArray &method, const QString &path, QString &why) const;
    bool connected(int side, QString &why) const;

    QTemporaryDir m_base;
    Device m_devices[2];
};
