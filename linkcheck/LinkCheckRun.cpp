#include "LinkCheckRun.h"

#include "CodePage.h"
#include "SiteList.h"

LinkCheckRun::LinkCheckRun(QObject *parent) : QObject(parent)
{
    connect(&m_checker, &LinkChecker::linkChecked, this, &LinkCheckRun::take);
    connect(&m_checker, &LinkChecker::progressed, this, &LinkCheckRun::progressed);
    connect(&m_checker, &LinkChecker::finished, this, &LinkCheckRun::end);
}

void LinkCheckRun::take(int index, const LinkResult &result)
{
    switch (result.status) {
    case LinkStatus::Offline: m_networkFailed = true; break;
    // What a dead network looks like too: the run as a whole decides.
    case LinkStatus::NoHost:
    case LinkStatus::Timeout: m_doubtful.emplace_back(index, result); break;
    default:
        m_reachedHost = m_reachedHost || result.status != LinkStatus::Invalid;
        m_results.record(m_urls[std::size_t(index)], CheckedLink{result, m_checkedAt});
    }
    emit linkChecked(index, result);
}

void LinkCheckRun::end()
{
    if (!wasOffline()) {
        for (const auto &[index, result] : m_doubtful)
            m_results.record(m_urls[std::size_t(index)], CheckedLink{result, m_checkedAt});
    }
    m_doubtful.clear();
    emit finished();
}

void LinkCheckRun::start(const SiteList &sites, const std::vector<std::size_t> &positions)
{
    // The run going on ends first, as itself.
    if (m_checker.isRunning())
        m_checker.cancel();
    m_urls.clear();
    std::vector<LinkJob> jobs;
    jobs.reserve(positions.size());
    m_urls.reserve(positions.size());
    for (std::size_t position : positions) {
        const QByteArray &url = sites.at(position).m_url;
        jobs.push_back({int(m_urls.size()), CodePage::toText(url)});
        m_urls.push_back(url);
    }
    // The results file keeps whole seconds.
    m_checkedAt = QDateTime::currentDateTimeUtc();
    m_checkedAt = m_checkedAt.addMSecs(-m_checkedAt.time().msec());
    m_doubtful.clear();
    m_networkFailed = false;
    m_reachedHost = false;
    m_checker.start(std::move(jobs));
}
