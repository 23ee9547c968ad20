#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM (a logout or shutdown), SIGHUP (the terminal went away) and SIGINT (Ctrl+C) become a
// signal in the event loop, so that the program ends by its own close request rather than
// wherever the system's signal found it.
//
// A close request needs the GUI thread, which a long layout or a stuck file can hold; a logout
// must not wait on it. So a signal the event loop has not taken within `serveSeconds`, or a second
// one of any of them, ends the program at once. The register is safe at any moment (every write
// replaces its file whole), so an end there loses nothing saved.
class QuitSignals : public QObject
{
    Q_OBJECT
public:
    static constexpr unsigned kServeSeconds = 2;

    explicit QuitSignals(unsigned serveSeconds = kServeSeconds, QObject *parent = nullptr);
    ~QuitSignals() override;

signals:
    void received(int signal);

private:
    QSocketNotifier *m_notifier = nullptr;
};
