#pragma once

#include "RegisterFiles.h"
#include "RegistrationEdges.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class SiteList;
class SiteRegister;
class UndoHistory;

// Keywords across many sites at once: renamed (onto another, merged with it), taken off every
// site, set on a selection. Each is planned over the sites as the user sees them and done as one
// operation and one undo step; a site another program changed meanwhile is left as it is.

// `site` with each keyword equal to `from` made `to` (`to` empty takes it off). Where `to` then
// stands twice the first stays, and each slot freed moves the keywords after it up.
SiteRecord WithKeywordRenamed(const SiteRecord &site, const QByteArray &from, const QByteArray &to);
// `site` with `keyword` in its first empty keyword slot; `site` itself when it carries it
// already; none when all three slots are taken.
std::optional<SiteRecord> WithKeywordSet(const SiteRecord &site, const QByteArray &keyword);

struct KeywordPlan
{
    std::vector<RecordUpdate> updates; // the sites that change: as seen, and as they become
    std::vector<SeenRecord> full;      // the sites with no free slot for the keyword, left alone
};
// Every site carrying `from` (nothing for an empty `from`, or `to` equal to it).
KeywordPlan PlanKeywordRename(const SiteList &sites, const QByteArray &from, const QByteArray &to);
KeywordPlan PlanKeywordSet(const std::vector<SeenRecord> &sites, const QByteArray &keyword);

// What came of a keyword operation.
struct KeywordOutcome
{
    OperationResult result;
    int changed = 0;
    QString done;    // what was done, for the status line; empty when nothing was
    QString message; // the sites left alone and why, or why it failed; empty when there is none
};

// The operations of the window, each one step of `history` over `siteRegister`.
class KeywordOperations
{
public:
    KeywordOperations(SiteRegister &siteRegister, UndoHistory &history) : m_register(siteRegister), m_history(history) {}

    KeywordOutcome rename(const QByteArray &from, const QByteArray &to);
    KeywordOutcome remove(const QByteArray &keyword) { return rename(keyword, QByteArray()); }
    KeywordOutcome set(const std::vector<SeenRecord> &sites, const QByteArray &keyword);

private:
    KeywordOutcome run(const KeywordPlan &plan, const QString &what);

    SiteRegister &m_register;
    UndoHistory &m_history;
};
