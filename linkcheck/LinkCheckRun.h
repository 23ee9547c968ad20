#pragma once

#include "LinkChecker.h"
#include "LinkResults.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>

#include <vector>

class SiteList;

// One check of chosen sites of a register, recorded as it goes: every answer is kept in the
// results under the time the check began, so that one run shows one date however long it took.
//
// Offline is not dead. A link the network could not carry (LinkStatus::Offline) is no verdict on
// the site and is never recorded: the last one stands. "No such host" and timeouts are recorded
// when the run ends, and only if some host answered or no network failed: a run that reached no
// host while the network failed records nothing that would mark a site dead.
class LinkCheckRun : public QObject
{
    Q_OBJECT
public:
    explicit LinkCheckRun(QObject *parent = nullptr);

    void setSettings(const LinkCheckSettings &settings) { m_checker.setSettings(settings); }
    LinkResults &results() { return m_results; }
    const LinkResults &results() const { return m_results; }

    // Checks the URLs of the sites at `positions` of `sites`; the signals' index is an index
    // into `positions`. A check already running is cancelled first.
    void start(const SiteList &sites, const std::vector<std::size_t> &positions);
    void cancel() { m_checker.cancel(); }
    bool isRunning() const { return m_checker.isRunning(); }
    // Whether some link could not be asked for want of a network (no resolver answered, no
    // route, the proxy out of reach): one warning for the whole run. Kept until the next start.
    bool networkFailed() const { return m_networkFailed; }
    // Whether no host at all answered while the network failed: the run checked nothing.
    bool wasOffline() const { return m_networkFailed && !m_reachedHost; }

signals:
    void linkChecked(int index, const LinkResult &result);
    void progressed(int done, int all);
    void finished();

private:
    void take(int index, const LinkResult &result);
    void end();

    LinkChecker m_checker;
    LinkResults m_results;
    std::vector<QByteArray> m_urls; // register bytes, by index
    QDateTime m_checkedAt;
    std::vector<std::pair<int, LinkResult>> m_doubtful; // by index, recorded at the end or not at all
    bool m_networkFailed = false;
    bool m_reachedHost = false;
};
