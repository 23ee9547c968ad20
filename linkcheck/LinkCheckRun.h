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
// Offline is not dead: the one rule of the window and the command line. A link the network could
// not carry (LinkStatus::Offline) is no verdict on the site and is never recorded: the last one
// stands. "No such host" and timeouts are what a network that reaches no host looks like too (many
// offline networks, captive portals and filtered resolvers answer "no such name" to every lookup):
// they are held back, told and recorded only once some host has answered. A run in which none did
// records nothing and tells each of them as not checked (Offline), and says once that there is no
// network; a stopped run drops them, unrecorded.
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
    void cancel();
    bool isRunning() const { return m_checker.isRunning(); }
    // Whether some link could not be asked for want of a network (no resolver answered, no
    // route, the proxy out of reach): one warning for the whole run. Kept until the next start.
    bool networkFailed() const { return m_networkFailed; }
    // Whether no host at all answered while the network failed: the run checked nothing.
    bool wasOffline() const { return m_networkFailed && !m_reachedHost; }
    // The result a link not checked for want of a network is told as.
    static LinkResult notChecked(const LinkResult &result);

signals:
    void linkChecked(int index, const LinkResult &result);
    void progressed(int done, int all);
    void finished();

private:
    void take(int index, const LinkResult &result);
    void record(int index, const LinkResult &result);
    void end();

    LinkChecker m_checker;
    LinkResults m_results;
    std::vector<QByteArray> m_urls; // register bytes, by index
    QDateTime m_checkedAt;
    std::vector<std::pair<int, LinkResult>> m_doubtful; // held until a host answers, or never told
    bool m_networkFailed = false;
    bool m_reachedHost = false;
    bool m_cancelled = false;
};
