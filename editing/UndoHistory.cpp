#include "UndoHistory.h"

#include "CodePage.h"
#include "RegistrationOperations.h"
#include "SiteRegister.h"

#include <algorithm>

UndoHistory::UndoHistory(SiteRegister &siteRegister, std::size_t depth, QObject *parent)
    : QObject(parent), m_register(siteRegister), m_depth(std::max<std::size_t>(depth, 1))
{
}

UndoHistory::~UndoHistory() = default;

std::shared_ptr<int> UndoHistory::numberOf(int number)
{
    std::shared_ptr<int> &known = m_live[number];
    if (!known)
        known = std::make_shared<int>(number);
    return known;
}

OperationResult UndoHistory::add(const SiteRecord &record)
{
    const OperationResult result = m_register.add(record);
    if (result.done())
        remember({Kind::Added, numberOf(result.number), {}, record});
    return result;
}

OperationResult UndoHistory::update(int number, const SiteRecord &record)
{
    const long long position = m_register.sites().positionOf(number);
    if (position < 0)
        return {OperationStatus::RemovedElsewhere, number, {}};
    return update(number, record, m_register.sites().at(std::size_t(position)));
}

OperationResult UndoHistory::update(int number, const SiteRecord &record, const SiteRecord &seen)
{
    const SiteRecord before = seen; // `seen` may be a record of the list, which the update changes
    const OperationResult result = m_register.update(number, record, before);
    // Confirming a record unchanged changed nothing: there is nothing to take back.
    if (result.done() && !(before == record))
        remember({Kind::Updated, numberOf(number), before, record});
    return result;
}

OperationResult UndoHistory::remove(int number)
{
    const long long position = m_register.sites().positionOf(number);
    if (position < 0)
        return {OperationStatus::RemovedElsewhere, number, {}};
    return remove(number, m_register.sites().at(std::size_t(position)));
}

OperationResult UndoHistory::remove(int number, const SiteRecord &seen)
{
    const SiteRecord before = seen; // as above: the removal erases it from the list
    const OperationResult result = m_register.remove(number, before);
    if (result.done()) {
        remember({Kind::Removed, numberOf(number), before, {}});
        // The number may be given to another record: that one is not this one.
        m_live.remove(number);
    }
    return result;
}

void UndoHistory::remember(Step step)
{
    m_steps.erase(m_steps.begin() + std::ptrdiff_t(m_next), m_steps.end());
    m_steps.push_back(std::move(step));
    if (m_steps.size() > m_depth)
        m_steps.erase(m_steps.begin());
    m_next = m_steps.size();
    emit changed();
}

QString UndoHistory::siteName(const Step &step)
{
    return CodePage::toText((step.kind == Kind::Removed ? step.before : step.after).GetName());
}

QString UndoHistory::describe(const Step &step)
{
    const char *what = step.kind == Kind::Added ? "「%1」の登録" : step.kind == Kind::Updated ? "「%1」の変更" : "「%1」の削除";
    return QString::fromUtf8(what).arg(siteName(step));
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
    const OperationStatus status = outcome.result.status;
    if (outcome.done())
        --m_next;
    else if (status == OperationStatus::ChangedElsewhere || status == OperationStatus::RemovedElsewhere)
        m_steps.erase(m_steps.begin() + std::ptrdiff_t(--m_next));
    emit changed();
    return outcome;
}

UndoOutcome UndoHistory::redo()
{
    if (!canRedo())
        return {{OperationStatus::Done, 0, {}}, -1, {}};
    const UndoOutcome outcome = apply(m_steps[m_next], false);
    const OperationStatus status = outcome.result.status;
    if (outcome.done())
        ++m_next;
    else if (status == OperationStatus::ChangedElsewhere || status == OperationStatus::RemovedElsewhere)
        m_steps.erase(m_steps.begin() + std::ptrdiff_t(m_next));
    emit changed();
    return outcome;
}

OperationResult UndoHistory::require(int number, const SiteRecord &expected) const
{
    const long long position = m_register.sites().positionOf(number);
    if (position < 0)
        return {OperationStatus::RemovedElsewhere, number, {}};
    if (!(m_register.sites().at(std::size_t(position)) == expected))
        return {OperationStatus::ChangedElsewhere, number, {}};
    return {OperationStatus::Done, number, {}};
}

UndoOutcome UndoHistory::apply(const Step &step, bool undoing)
{
    const int number = *step.number;
    const bool bringsBack = step.kind == (undoing ? Kind::Removed : Kind::Added);
    const bool takesAway = step.kind == (undoing ? Kind::Added : Kind::Removed);
    OperationResult result;
    const long long position = m_register.sites().positionOf(number);
    if (bringsBack) {
        result = m_register.restore(number, undoing ? step.before : step.after);
        if (result.done()) {
            *step.number = result.number;
            m_live.insert(result.number, step.number);
        }
    } else if (result = require(number, undoing ? step.after : step.before); result.done()) {
        if (takesAway) {
            result = m_register.remove(number, undoing ? step.after : step.before);
            if (result.done())
                m_live.remove(number);
        } else {
            result = m_register.update(number, undoing ? step.before : step.after, undoing ? step.after : step.before);
        }
    }

    UndoOutcome outcome{result, -1, {}};
    const long long rows = (long long)m_register.sites().size();
    if (result.done()) {
        const long long now = m_register.sites().positionOf(*step.number);
        outcome.row = int(now >= 0 ? now : std::min(position, rows - 1));
        return outcome;
    }
    const QString site = siteName(step);
    const char *ending = undoing ? "元に戻せませんでした。" : "やり直せませんでした。";
    switch (result.status) {
    case OperationStatus::ChangedElsewhere:
        outcome.message = QString::fromUtf8("「%1」は他のプログラムで変更されていたため、").arg(site);
        break;
    case OperationStatus::RemovedElsewhere:
        outcome.message = QString::fromUtf8("「%1」は他のプログラムで削除されていたため、").arg(site);
        break;
    default:
        outcome.message = OperationMessage(result, m_register.settingPath());
        return outcome;
    }
    outcome.message += QString::fromUtf8(ending);
    return outcome;
}
