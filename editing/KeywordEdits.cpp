#include "KeywordEdits.h"

#include "CodePage.h"
#include "EditingText.h"
#include "KeywordList.h"
#include "RegistrationOperations.h"
#include "ShownText.h"
#include "SiteRegister.h"
#include "SiteTexts.h"
#include "UndoHistory.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<QByteArray SiteRecord::*, 3> kKeywords{kKeyword1Text, kKeyword2Text,
                                                            kKeyword3Text};

QString quoted(const QByteArray &keyword)
{
    return EditingText::tr("「%1」").arg(CodePage::toTypedText(keyword));
}

} // namespace

SiteRecord WithKeywordRenamed(const SiteRecord &site, const QByteArray &from, const QByteArray &to)
{
    std::vector<QByteArray> kept;
    int freed = 0;
    for (const auto keyword : kKeywords) {
        const QByteArray now = site.*keyword == from ? to : site.*keyword;
        if ((site.*keyword == from && to.isEmpty()) || (now == to && std::find(kept.begin(), kept.end(), to) != kept.end()))
            ++freed;
        else
            kept.push_back(now);
    }
    kept.insert(kept.end(), std::size_t(freed), QByteArray());
    SiteRecord changed = site;
    for (std::size_t i = 0; i < kKeywords.size(); ++i)
        changed.*kKeywords[i] = kept[i];
    return changed;
}

std::optional<SiteRecord> WithKeywordSet(const SiteRecord &site, const QByteArray &keyword)
{
    if (CarriesKeyword(site, keyword))
        return site;
    for (const auto slot : kKeywords) {
        if ((site.*slot).isEmpty()) {
            SiteRecord changed = site;
            changed.*slot = keyword;
            return changed;
        }
    }
    return std::nullopt;
}

KeywordPlan PlanKeywordRename(const SiteList &sites, const QByteArray &from, const QByteArray &to)
{
    KeywordPlan plan;
    if (from.isEmpty() || from == to)
        return plan;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        if (CarriesKeyword(sites.at(i), from))
            plan.updates.push_back({sites.number(i), WithKeywordRenamed(sites.at(i), from, to), sites.at(i)});
    }
    return plan;
}

KeywordPlan PlanKeywordSet(const std::vector<SeenRecord> &sites, const QByteArray &keyword)
{
    KeywordPlan plan;
    if (keyword.isEmpty())
        return plan;
    for (const SeenRecord &site : sites) {
        if (const std::optional<SiteRecord> changed = WithKeywordSet(site.seen, keyword); !changed)
            plan.full.push_back(site);
        else if (*changed != site.seen)
            plan.updates.push_back({site.number, *changed, site.seen});
    }
    return plan;
}

KeywordOutcome KeywordOperations::rename(const QByteArray &from, const QByteArray &to)
{
    const QString what = to.isEmpty() ? EditingText::tr("キーワード%1の取り外し").arg(quoted(from))
                                      : EditingText::tr("キーワード%1の%2への変更").arg(quoted(from), quoted(to));
    KeywordOutcome outcome = run(PlanKeywordRename(m_register.sites(), from, to), what);
    if (outcome.changed > 0)
        outcome.done = to.isEmpty() ? EditingText::tr("キーワード%1を %2 件のサイトから外しました。").arg(quoted(from)).arg(outcome.changed)
                                    : EditingText::tr("キーワード%1を%2に変えました（%3 件のサイト）。").arg(quoted(from), quoted(to)).arg(outcome.changed);
    return outcome;
}

KeywordOutcome KeywordOperations::set(const std::vector<SeenRecord> &sites, const QByteArray &keyword)
{
    KeywordOutcome outcome = run(PlanKeywordSet(sites, keyword), EditingText::tr("キーワード%1の設定").arg(quoted(keyword)));
    if (outcome.changed > 0)
        outcome.done = EditingText::tr("キーワード%1を %2 件のサイトに設定しました。").arg(quoted(keyword)).arg(outcome.changed);
    return outcome;
}

KeywordOutcome KeywordOperations::run(const KeywordPlan &plan, const QString &what)
{
    KeywordOutcome outcome;
    std::vector<OperationStatus> statuses;
    if (!plan.updates.empty())
        outcome.result = m_history.updateMany(plan.updates, what, &statuses);
    QStringList elsewhere, full;
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        if (statuses[i] == OperationStatus::Done)
            ++outcome.changed;
        else if (statuses[i] != OperationStatus::Failed)
            elsewhere << ShownName(plan.updates[i].seen);
    }
    for (const SeenRecord &site : plan.full)
        full << ShownName(site.seen);
    QStringList parts;
    if (!outcome.result.done())
        parts << OperationMessage(outcome.result, m_register.settingPath());
    if (!elsewhere.isEmpty())
        parts << NamedSitesMessage(LeftAsElsewhere(), elsewhere);
    if (!full.isEmpty())
        parts << NamedSitesMessage(EditingText::tr("次のサイトはキーワードが 3 つとも埋まっているため、そのままにしました："), full);
    outcome.message = parts.join(QStringLiteral("\n\n"));
    return outcome;
}
