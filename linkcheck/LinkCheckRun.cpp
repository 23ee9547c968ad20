#include "LinkCheckRun.h"

#include "CodePage.h"
#include "LinkCheckText.h"
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
    case LinkStatus::NoHost:
    case LinkStatus::Timeout:
        if (!m_reachedHost) {
            m_doubtful.emplace_back(index, result);
            return;
        }
        record(index, result);
        break;
    // A link that is no web address, never asked, says nothing of the network.
    case LinkStatus::Invalid:
        if (result.code == 0) {
            record(index, result);
            break;
        }
        [[fallthrough]];
    default:
        // The first host that answers shows the network carries: what was held is a verdict.
        if (!m_reachedHost) {
            m_reachedHost = true;
            for (const auto &[held, doubtful] : m_doubtful) {
                record(held, doubtful);
                emit linkChecked(held, doubtful);
            }
            m_doubtful.clear();
        }
        record(index, result);
    }
    emit linkChecked(index, result);
}

void LinkCheckRun::record(int index, const LinkResult &result)
{
    m_results.record(m_urls[std::size_t(index)], CheckedLink{result, m_checkedAt});
}

LinkResult LinkCheckRun::notChecked(const LinkResult &result)
{
    LinkResult unchecked;
    unchecked.status = LinkStatus::Offline;
    unchecked.finalUrl = result.finalUrl;
    unchecked.message = LinkMessage(LinkStatus::Offline, 0, LinkCheckText::tr("どのホストからも応答がないため、確認していません"));
    return unchecked;
}

void LinkCheckRun::cancel()
{
    m_cancelled = m_checker.isRunning();
    m_checker.cancel();
}

void LinkCheckRun::end()
{
    // No host answered: nothing held is a verdict on its site. Stopped, the rows say so themselves.
    if (!m_doubtful.empty() && !m_cancelled) {
        m_networkFailed = true;
        for (const auto &[index, result] : m_doubtful)
            emit linkChecked(index, notChecked(result));
    }
    m_doubtful.clear();
    emit finished();
}

void LinkCheckRun::start(const SiteList &sites, const std::vector<std::size_t> &positions)
{
    // The run going on ends first, as itself.
    if (m_checker.isRunning())
        cancel();
    m_urls.clear();
    std::vector<LinkJob> jobs;
    jobs.reserve(positions.size());
    m_urls.reserve(positions.size());
    for (std::size_t position : positions) {
        const QByteArray &url = sites.at(position).GetUrl();
        jobs.push_back({int(m_urls.size()), CodePage::toText(url)});
        m_urls.push_back(url);
    }
    // The results file keeps whole seconds.
    m_checkedAt = QDateTime::currentDateTimeUtc();
    m_checkedAt = m_checkedAt.addMSecs(-m_checkedAt.time().msec());
    m_doubtful.clear();
    m_networkFailed = false;
    m_reachedHost = false;
    m_cancelled = false;
    m_checker.start(std::move(jobs));
}
