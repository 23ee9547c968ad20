#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM (a logout or shutdown), SIGHUP (the terminal went away) and SIGINT (Ctrl+C) become a
// signal in the event loop, so that the program ends by its own close request rather than
// wherever the system's signal found it.
class QuitSignals : public QObject
{
    Q_OBJECT
public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

signals:
    void received(int signal);

private:
    QSocketNotifier *m_notifier = nullptr;
};
