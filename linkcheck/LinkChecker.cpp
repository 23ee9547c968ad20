#include "LinkChecker.h"

#include "LinkProbe.h"

#include <algorithm>

LinkChecker::LinkChecker(QObject *parent)
    : QObject(parent)
{
}

LinkChecker::~LinkChecker()
{
    stopProbes();
}

void LinkChecker::start(std::vector<LinkJob> jobs)
{
    if (m_running)
        cancel();
    m_jobs = std::move(jobs);
    m_hosts.clear();
    m_turns.clear();
    m_done = 0;
    m_running = true;
    for (std::size_t i = 0; i < m_jobs.size(); ++i) {
        // A URL that is no http(s) URL gets a host of "" and goes through the same queue, so its
        // result arrives in turn like any other rather than before start() returns.
        const QString host = LinkTrail::hostKey(m_jobs[i].url);
        Host &entry = m_hosts[host];
        entry.waiting.push_back(i);
        if (!entry.queued) {
            entry.queued = true;
            m_turns.push_back(host);
        }
    }
    emit progressed(0, int(m_jobs.size()));
    if (m_jobs.empty()) {
        m_running = false;
        emit finished();
        return;
    }
    dispatch();
}

void LinkChecker::cancel()
{
    if (!m_running)
        return;
    stopProbes();
    m_running = false;
    m_jobs.clear();
    m_hosts.clear();
    m_turns.clear();
    emit finished();
}

void LinkChecker::dispatch()
{
    // A probe that finishes inside launch() (an invalid URL) calls back into here.
    if (m_dispatching)
        return;
    m_dispatching = true;
    while (m_running && m_active < std::max(1, m_settings.jobs) && !m_turns.empty()) {
        const QString host = m_turns.front();
        m_turns.pop_front();
        Host &entry = m_hosts[host];
        entry.queued = false;
        const std::size_t index = entry.waiting.front();
        entry.waiting.pop_front();
        ++entry.active;
        offerTurn(host);
        launch(index, host);
    }
    m_dispatching = false;
    if (m_running && m_active == 0 && m_turns.empty()) {
        m_running = false;
        m_jobs.clear();
        m_hosts.clear();
        emit finished();
    }
}

void LinkChecker::offerTurn(const QString &host)
{
    Host &entry = m_hosts[host];
    if (!entry.queued && !entry.waiting.empty() && entry.active < std::max(1, m_settings.perHost)) {
        entry.queued = true;
        m_turns.push_back(host);
    }
}

void LinkChecker::launch(std::size_t index, const QString &host)
{
    ++m_active;
    auto *probe = new LinkProbe(m_jobs[index].url, m_settings, this);
    m_probes.push_back(probe);
    connect(probe, &LinkProbe::finished, this,
            [this, index, host, probe](const LinkResult &result) { complete(index, host, probe, result); });
    probe->start();
}

void LinkChecker::complete(std::size_t index, const QString &host, LinkProbe *probe, const LinkResult &result)
{
    m_probes.erase(std::find(m_probes.begin(), m_probes.end(), probe));
    probe->deleteLater();
    --m_active;
    --m_hosts[host].active;
    offerTurn(host);
    ++m_done;
    const int id = m_jobs[index].id;
    m_jobs[index].url = QString(); // done with: a long list shrinks as it is checked
    emit linkChecked(id, result);
    if (!m_running) // cancelled by a receiver of the result
        return;
    emit progressed(m_done, int(m_jobs.size()));
    dispatch();
}

void LinkChecker::stopProbes()
{
    for (LinkProbe *probe : m_probes) {
        probe->abort();
        probe->disconnect(this);
        probe->deleteLater();
    }
    m_probes.clear();
    m_active = 0;
}
