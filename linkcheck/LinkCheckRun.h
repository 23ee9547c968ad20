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

signals:
    void linkChecked(int index, const LinkResult &result);
    void progressed(int done, int all);
    void finished();

private:
    LinkChecker m_checker;
    LinkResults m_results;
    std::vector<QByteArray> m_urls; // register bytes, by index
    QDateTime m_checkedAt;
};
