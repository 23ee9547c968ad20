#include "UndoHistory.h"

#include "EditingText.h"
#include "ShownText.h"
#include "RegistrationOperations.h"
#include "SiteRegister.h"
#include "SiteTexts.h"

#include <algorithm>

namespace {


bool isElsewhere(OperationStatus status)
{
    return status == OperationStatus::ChangedElsewhere || status == OperationStatus::RemovedElsewhere;
}

} // namespace

UndoHistory::UndoHistory(SiteRegister &siteRegister, std::size_t depth, QObject *parent)
    : QObject(parent), m_register(siteRegister), m_depth(std::max<std::size_t>(depth, 1))
{
}

UndoHistory::~UndoHistory()
{
    forget(0, m_steps.size());
}

void UndoHistory::forget(std::size_t first, std::size_t last)
{
    std::vector<QString> kept;
    for (std::size_t i = first; i < last; ++i) {
        for (Entry &entry : m_steps[i].entries) {
            if (!entry.kept.name.isEmpty())
                kept.push_back(entry.kept.name);
        }
    }
    m_register.folder().discardAll(kept);
}

std::shared_ptr<int> UndoHistory::numberOf(int number)
{
    std::shared_ptr<int> &known = m_live[number];
    if (!known)
        known = std::make_shared<int>(number);
    return known;
}

OperationResult UndoHistory::add(const SiteRecord &record)
{
    return addMany({record});
}

OperationResult UndoHistory::addMany(const std::vector<SiteRecord> &records)
{
    std::vector<int> numbers;
    const OperationResult result = m_register.addMany(records, &numbers);
    if (result.done() && !records.empty()) {
        Step step{Kind::Added, {}, {}};
        for (std::size_t i = 0; i < records.size(); ++i)
            step.entries.push_back({numberOf(numbers[i]), {}, stored(numbers[i], records[i]), {}});
        remember(std::move(step));
    }
    return result;
}

OperationResult UndoHistory::update(int number, const SiteRecord &record)
{
    const long long position = m_register.sites().positionOf(number);
    if (position < 0)
        return {OperationStatus::RemovedElsewhere, number, {}};
    const SiteRecord seen = m_register.sites().at(std::size_t(position)); // a copy: the update replaces it
    return update(number, record, seen);
}

OperationResult UndoHistory::update(int number, const SiteRecord &record, const SiteRecord &seen)
{
    const OperationResult result = m_register.update(number, record, seen);
    // Confirming a record unchanged changed nothing: there is nothing to take back.
    if (result.done() && !(seen == record))
        remember({Kind::Updated, {{numberOf(number), seen, stored(number, record), {}}}, {}});
    return result;
}

OperationResult UndoHistory::remove(int number)
{
    const long long position = m_register.sites().positionOf(number);
    if (position < 0)
        return {OperationStatus::RemovedElsewhere, number, {}};
    return removeMany({{number, m_register.sites().at(std::size_t(position))}});
}

OperationResult UndoHistory::remove(int number, const SiteRecord &seen)
{
    return removeMany({{number, seen}});
}

OperationResult UndoHistory::removeMany(const std::vector<std::pair<int, SiteRecord>> &seen)
{
    std::vector<KeptFile> kept;
    const OperationResult result = m_register.removeMany(seen, &kept);
    if (result.done() && !seen.empty()) {
        Step step{Kind::Removed, {}, {}};
        for (std::size_t i = 0; i < seen.size(); ++i)
            step.entries.push_back({numberOf(seen[i].first), seen[i].second, {}, kept[i]});
        remember(std::move(step));
        // The numbers may be given to other records: those are not these.
        for (const auto &entry : seen)
            m_live.remove(entry.first);
    }
    return result;
}

OperationResult UndoHistory::updateMany(const std::vector<RecordUpdate> &updates, const QString &what,
                                        std::vector<OperationStatus> *outcomes)
{
    std::vector<OperationStatus> statuses;
    const OperationResult result = m_register.updateMany(updates, &statuses);
    Step step{Kind::Updated, {}, what};
    for (std::size_t i = 0; i < updates.size(); ++i) {
        if (statuses[i] == OperationStatus::Done && !(updates[i].seen == updates[i].record))
            step.entries.push_back({numberOf(updates[i].number), updates[i].seen, stored(updates[i].number, updates[i].record), {}});
    }
    // What a failure part of the way had written is taken back as any step is.
    if (!step.entries.empty())
        remember(std::move(step));
    if (outcomes)
        *outcomes = std::move(statuses);
    return result;
}

SiteRecord UndoHistory::stored(int number, const SiteRecord &given) const
{
    const long long position = m_register.sites().positionOf(number);
    return position >= 0 ? m_register.sites().at(std::size_t(position)) : given;
}

void UndoHistory::remember(Step step)
{
    forget(m_next, m_steps.size());
    m_steps.erase(m_steps.begin() + std::ptrdiff_t(m_next), m_steps.end());
    m_steps.push_back(std::move(step));
    if (m_steps.size() > m_depth) {
        forget(0, 1);
        m_steps.erase(m_steps.begin());
    }
    m_next = m_steps.size();
    emit changed();
}

QString UndoHistory::siteName(const Step &step, const Entry &entry)
{
    return ShownName(step.kind == Kind::Removed ? entry.before : entry.after);
}

QString UndoHistory::describe(const Step &step)
{
    if (!step.what.isEmpty())
        return step.what;
    const QString what = step.kind == Kind::Added     ? EditingText::tr("の登録")
                         : step.kind == Kind::Updated ? EditingText::tr("の変更")
                                                      : EditingText::tr("の削除");
    const QString name = EditingText::tr("「%1」").arg(siteName(step, step.entries.front()));
    const QString others =
        step.entries.size() > 1 ? EditingText::tr("ほか%1件").arg(step.entries.size() - 1) : QString();
    return name + others + what;
}

QString UndoHistory::undoText() const
{
    return canUndo() ? describe(m_steps[m_next - 1]) : QString();
}

QString UndoHistory::redoText() const
{
    return canRedo() ? describe(m_steps[m_next]) : QString();
}

UndoOutcome UndoHistory::undo()
{
    if (!canUndo())
        return {{OperationStatus::Done, 0, {}}, -1, {}};
    const UndoOutcome outcome = apply(m_steps[m_next - 1], true);
    if (outcome.done())
        --m_next;
    else if (isElsewhere(outcome.result.status)) {
        forget(m_next - 1, m_next);
        m_steps.erase(m_steps.begin() + std::ptrdiff_t(--m_next));
    }
    emit changed();
    return outcome;
}

UndoOutcome UndoHistory::redo()
{
    if (!canRedo())
        return {{OperationStatus::Done, 0, {}}, -1, {}};
    const UndoOutcome outcome = apply(m_steps[m_next], false);
    if (outcome.done())
        ++m_next;
    else if (isElsewhere(outcome.result.status)) {
        forget(m_next, m_next + 1);
        m_steps.erase(m_steps.begin() + std::ptrdiff_t(m_next));
    }
    emit changed();
    return outcome;
}

OperationResult UndoHistory::bringBack(Step &step, bool undoing)
{
    // A record that stands already as it was (another computer brought it back meanwhile) is not
    // made twice: the step follows it where it stands.
    QHash<QByteArray, int> standing;
    const SiteList &sites = m_register.sites();
    for (std::size_t i = 0; i < sites.size(); ++i)
        standing.insert(TextsKey(sites.at(i)), sites.number(i));
    std::vector<std::pair<int, SiteRecord>> records;
    std::vector<KeptFile> kept;
    std::vector<std::size_t> brought;
    std::vector<QString> needless;
    records.reserve(step.entries.size());
    kept.reserve(step.entries.size());
    for (std::size_t i = 0; i < step.entries.size(); ++i) {
        Entry &entry = step.entries[i];
        const SiteRecord &record = undoing ? entry.before : entry.after;
        if (const auto there = standing.constFind(TextsKey(record)); there != standing.constEnd()) {
            *entry.number = *there;
            m_live.insert(*there, entry.number);
            if (!entry.kept.name.isEmpty())
                needless.push_back(entry.kept.name);
            entry.kept = {};
            continue;
        }
        records.emplace_back(*entry.number, record);
        kept.push_back(entry.kept);
        brought.push_back(i);
    }
    m_register.folder().discardAll(needless);
    if (records.empty())
        return {OperationStatus::Done, *step.entries.front().number, {}};
    std::vector<int> numbers;
    const OperationResult result = m_register.restoreMany(records, numbers, &kept);
    if (result.done()) {
        for (std::size_t j = 0; j < brought.size(); ++j) {
            Entry &entry = step.entries[brought[j]];
            entry.kept = {};
            *entry.number = numbers[j];
            m_live.insert(numbers[j], entry.number);
        }
    }
    return result;
}

// The entries whose record the list holds as the step (or its undo) left it stay in the step;
// the others are named in `refused` and leave it, `why` saying what became of the last of them.
void UndoHistory::keepStanding(Step &step, bool undoing, QStringList &refused, OperationStatus &why)
{
    std::vector<Entry> kept;
    for (Entry &entry : step.entries) {
        const long long position = m_register.sites().positionOf(*entry.number);
        if (position >= 0 && m_register.sites().at(std::size_t(position)) == (undoing ? entry.after : entry.before)) {
            kept.push_back(std::move(entry));
        } else {
            why = position < 0 ? OperationStatus::RemovedElsewhere : OperationStatus::ChangedElsewhere;
            refused << siteName(step, entry);
        }
    }
    step.entries = std::move(kept);
}

// Only records still as the step left them are rewritten; those the files show changed
// elsewhere leave the step too. With none left, the step is refused as a whole.
OperationResult UndoHistory::alter(Step &step, bool undoing, QStringList &refused)
{
    OperationStatus why = OperationStatus::ChangedElsewhere;
    keepStanding(step, undoing, refused, why);
    if (step.entries.empty())
        return {why, 0, {}};
    std::vector<RecordUpdate> updates;
    for (const Entry &entry : step.entries)
        updates.push_back({*entry.number, undoing ? entry.before : entry.after, undoing ? entry.after : entry.before});
    std::vector<OperationStatus> statuses;
    const OperationResult result = m_register.updateMany(updates, &statuses, EditDates::AsTheyWere);
    std::vector<Entry> written;
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        if (statuses[i] == OperationStatus::Done || statuses[i] == OperationStatus::Failed) {
            written.push_back(std::move(step.entries[i]));
        } else {
            why = statuses[i];
            refused << siteName(step, step.entries[i]);
        }
    }
    step.entries = std::move(written);
    if (result.done() && step.entries.empty())
        return {why, 0, {}};
    return result;
}

// Only records still as the step left them are taken away; the others are named in `refused`
// and leave the step. With none left, the step is refused as a whole.
OperationResult UndoHistory::takeAway(Step &step, bool undoing, QStringList &refused)
{
    OperationStatus why = OperationStatus::ChangedElsewhere;
    keepStanding(step, undoing, refused, why);
    if (step.entries.empty())
        return {why, 0, {}};
    std::vector<std::pair<int, SiteRecord>> seen;
    for (const Entry &entry : step.entries)
        seen.emplace_back(*entry.number, undoing ? entry.after : entry.before);
    std::vector<KeptFile> files;
    const OperationResult result = m_register.removeMany(seen, &files);
    if (result.done()) {
        for (std::size_t i = 0; i < seen.size(); ++i) {
            m_live.remove(seen[i].first);
            step.entries[i].kept = files[i];
        }
    }
    return result;
}

UndoOutcome UndoHistory::apply(Step &step, bool undoing)
{
    const Entry &first = step.entries.front();
    const long long firstPosition = m_register.sites().positionOf(*first.number);
    const QString firstName = siteName(step, first);
    const bool single = step.entries.size() == 1;
    OperationResult result;
    QStringList refused;
    if (step.kind == (undoing ? Kind::Removed : Kind::Added)) {
        result = bringBack(step, undoing);
    } else if (step.kind == (undoing ? Kind::Added : Kind::Removed)) {
        result = takeAway(step, undoing, refused);
    } else {
        result = alter(step, undoing, refused);
    }

    UndoOutcome outcome{result, -1, {}};
    const QString ending = undoing ? EditingText::tr("元に戻せませんでした。") : EditingText::tr("やり直せませんでした。");
    if (result.done() && !refused.isEmpty()) {
        // Part of a step of many was done; the rest is named.
        outcome.message = NamedSitesMessage(LeftAsElsewhere(), refused);
    } else if (isElsewhere(result.status)) {
        const QString who = single ? EditingText::tr("「%1」は").arg(firstName)
                                   : EditingText::tr("「%1」ほか%2件のサイトは").arg(firstName, QString::number(step.entries.size() + refused.size() - 1));
        const QString what = result.status == OperationStatus::ChangedElsewhere
                                 ? EditingText::tr("他のプログラムで変更されていたため、")
                                 : EditingText::tr("他のプログラムで削除されていたため、");
        outcome.message = who + what + ending;
    } else if (!result.done()) {
        outcome.message = OperationMessage(result, m_register.settingPath());
    }
    if (result.done() && !step.entries.empty()) {
        const long long rows = (long long)m_register.sites().size();
        const long long now = m_register.sites().positionOf(*step.entries.front().number);
        outcome.row = int(now >= 0 ? now : std::min(firstPosition, rows - 1));
    }
    return outcome;
}
