#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

class QFileSystemWatcher;
class QSocketNotifier;

// Tells which files of a folder other programs created, replaced, wrote, renamed or removed.
// Changes are gathered for a moment, so that a program writing a file and then the count is one
// report, and each file is named once. On Linux the kernel names each file (inotify); elsewhere
// only "something in the folder changed" is known, and the whole folder is reported.
class RegisterWatcher : public QObject
{
    Q_OBJECT
public:
    explicit RegisterWatcher(QObject *parent = nullptr);
    ~RegisterWatcher() override;

    // Starts watching `folder`; false when the system refuses (the folder is then not followed).
    bool watch(const QString &folder);

    // How long changes are gathered before they are reported.
    static constexpr int kGatherMs = 10;

signals:
    void filesChanged(const QStringList &names);
    // The system lost track (too many changes at once): anything may have changed.
    void everythingChanged();

private:
    void readEvents();
    void report();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QFileSystemWatcher *m_fallback = nullptr;
    QSet<QString> m_changed;
    bool m_lostTrack = false;
    QTimer m_gather;
};
