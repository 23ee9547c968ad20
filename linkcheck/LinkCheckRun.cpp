#include "LinkCheckRun.h"

#include "CodePage.h"
#include "SiteList.h"

LinkCheckRun::LinkCheckRun(QObject *parent) : QObject(parent)
{
    connect(&m_checker, &LinkChecker::linkChecked, this, [this](int index, const LinkResult &result) {
        m_results.record(m_urls[std::size_t(index)], CheckedLink{result, m_checkedAt});
        emit linkChecked(index, result);
    });
    connect(&m_checker, &LinkChecker::progressed, this, &LinkCheckRun::progressed);
    connect(&m_checker, &LinkChecker::finished, this, &LinkCheckRun::finished);
}

void LinkCheckRun::start(const SiteList &sites, const std::vector<std::size_t> &positions)
{
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
    m_checker.start(std::move(jobs));
}
