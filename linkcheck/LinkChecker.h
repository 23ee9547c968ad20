#pragma once

#include "LinkCheckSettings.h"
#include "LinkStatus.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <deque>
#include <vector>

class LinkProbe;

// One URL to check, with the caller's number for it.
struct LinkJob
{
    int id = 0;
    QString url;
};

// Checks a list of URLs politely: at most `perHost` requests at a time to one host and `jobs`
// in all, hosts taken in turn so that one large site does not hold up the others. Jobs wait in
// queues of their own; only the ones in flight have a request, so a list of any length costs
// little more than the list itself.
class LinkChecker : public QObject
{
    Q_OBJECT
public:
    explicit LinkChecker(QObject *parent = nullptr);
    ~LinkChecker() override;

    void setSettings(const LinkCheckSettings &settings) { m_settings = settings; }
    const LinkCheckSettings &settings() const { return m_settings; }

    // Starts checking `jobs` (a check already running is cancelled first). Results come one by
    // one through linkChecked, in the order they finish, then finished.
    void start(std::vector<LinkJob> jobs);
    // Stops every request at once; no result follows, finished does.
    void cancel();
    bool isRunning() const { return m_running; }

signals:
    void linkChecked(int id, const LinkResult &result);
    void progressed(int done, int all);
    void finished();

private:
    struct Host
    {
        std::deque<std::size_t> waiting; // indexes into m_jobs
        int active = 0;
        bool queued = false; // in m_turns
    };

    void dispatch();
    void launch(std::size_t index, const QString &host);
    void complete(std::size_t index, const QString &host, LinkProbe *probe, const LinkResult &result);
    void offerTurn(const QString &host);
    void stopProbes();

    LinkCheckSettings m_settings;
    std::vector<LinkJob> m_jobs;
    QHash<QString, Host> m_hosts;
    std::deque<QString> m_turns; // hosts with a job waiting and room for a request
    std::vector<LinkProbe *> m_probes;
    int m_active = 0;
    int m_done = 0;
    bool m_running = false;
    bool m_dispatching = false;
};
