#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <array>
#include <memory>

// Two real Syncthing devices on this machine sharing one folder, as two computers share a register.
// Everything stays on 127.0.0.1: each device listens there and knows the other's address; discovery,
// relays, NAT traversal, usage and crash reporting are off. The link between them is paused and
// resumed through Syncthing's REST interface, so that changes made meanwhile on both sides race.
class SyncthingPair
{
public:
    SyncthingPair();
    ~SyncthingPair();

    // Where Syncthing is; empty when it is not installed.
    static QString program();

    // Makes both devices and starts them connected; false with the reason in `why`.
    bool start(QString &why);
    // The shared folder as device `side` (0 or 1) holds it.
    QString folder(int side) const;
    // The home each device's programs may use as XDG_DATA_HOME: its folder is <home>/sitekanri.
    QString dataHome(int side) const;

    bool pause(QString &why);
    bool resume(QString &why);
    // Has both devices look at their folders now (a scan records what changed as that side's version).
    bool scan(QString &why);
    // Waits until both devices are idle, connected, need nothing and hold the same files, twice in a
    // row; false when that does not happen within `timeoutMs`.
    bool settle(int timeoutMs, QString &why);

private:
    struct Device
    {
        QString home;
        QString id;
        QString apiKey;
        int listenPort = 0;
        int guiPort = 0;
        QProcess process;
    };

    bool generate(Device &device, QString &why);
    void writeConfig(const Device &self, const Device &other) const;
    // One REST request; the body of the answer, or an empty QByteArray (with `why`) on failure.
    QByteArray rest(const Device &device, const QByteArray &method, const QString &path, QString &why,
                    int timeoutMs = 20000) const;
    QJsonObject restJson(const Device &device, const QString &path, QString &why) const;
    bool connected(const Device &device, QString &why) const;

    QTemporaryDir m_base;
    std::array<std::unique_ptr<Device>, 2> m_devices;
};
