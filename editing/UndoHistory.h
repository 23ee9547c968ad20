#pragma once

#include "RegisterFiles.h"
#include "SiteRecord.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

class SiteRegister;

// What became of one undo or redo.
struct UndoOutcome
{
    OperationResult result;
    // The list position of the record taken back or made again, or of the row that took its
    // place when it went; -1 when nothing was done or the list is empty.
    int row = -1;
    // What to tell the user when it was not done, or done only in part; empty otherwise.
    QString message;

    bool done() const { return result.done(); }
};

// The register, updated, deleted and imported sites of this window, to be taken back and made
// again. A step may hold many records (a delete of several rows, an import): it is undone and
// redone as one operation. Each undo and redo is itself an ordinary operation on disk, so other
// programs see it as they see any other; none of them overwrites what another program did
// meanwhile: a record no longer as the step left it is refused and named, and the step forgets it.
//
// The files of the records a step took away are kept aside while the step may bring them back:
// bringing them back renames them, where writing would wait for the disk once for each. They are
// removed when the step goes (past the history's depth, replaced by a new operation, refused, or
// with the history itself); what a program that ended without removing them left, the next load
// removes.
//
// Undo and redo put each record back with the dates it had then; only the operations themselves
// date what they change.
//
// A record keeps its number through undo and redo where it can. A deleted record brought back
// takes its old number again when that number is still free, and otherwise a new number; the
// steps that concern it follow it there.
class UndoHistory : public QObject
{
    Q_OBJECT
public:
    explicit UndoHistory(SiteRegister &siteRegister, std::size_t depth = 100, QObject *parent = nullptr);
    ~UndoHistory() override;

    // The register's own operations; each one done is remembered, and forgets what was undone.
    // `seen` is the record as the user saw it; without it, as the list holds it now.
    OperationResult add(const SiteRecord &record);
    // Several new records (an import) as one step.
    OperationResult addMany(const std::vector<SiteRecord> &records);
    OperationResult update(int number, const SiteRecord &record);
    OperationResult update(int number, const SiteRecord &record, const SiteRecord &seen);
    OperationResult remove(int number);
    OperationResult remove(int number, const SiteRecord &seen);
    OperationResult removeMany(const std::vector<std::pair<int, SiteRecord>> &seen);
    // Several records rewritten as one step (see SiteRegister::updateMany), which `what` names for
    // undoText() and redoText() (キーワード「x」の変更); the records left as another program had
    // them are not in the step.
    OperationResult updateMany(const std::vector<RecordUpdate> &updates, const QString &what,
                               std::vector<OperationStatus> *outcomes = nullptr);

    bool canUndo() const { return m_next > 0; }
    bool canRedo() const { return m_next < m_steps.size(); }
    // What undo and redo would do next, for a menu or a tooltip (「サイトA」の削除); empty when
    // there is nothing to do.
    QString undoText() const;
    QString redoText() const;

    // With nothing to undo or redo, nothing is done and nothing is wrong: done, with no row.
    UndoOutcome undo();
    UndoOutcome redo();

signals:
    // What can be undone or redone has changed.
    void changed();

private:
    enum class Kind { Added, Updated, Removed };
    struct Entry
    {
        // The record's number, shared by every step of one record so that they follow it when it
        // comes back under another number.
        std::shared_ptr<int> number;
        SiteRecord before; // unused for Added
        SiteRecord after;  // unused for Removed
        KeptFile kept;     // while the step has taken the record away
    };
    struct Step
    {
        Kind kind;
        std::vector<Entry> entries;
        QString what; // what the step did, where naming its first site would not say it
    };

    // The number of the record this window last left at `number`, shared with its steps.
    std::shared_ptr<int> numberOf(int number);
    // Record `number` as the register wrote it (with the dates it was given), `given` where the
    // list no longer holds it: what a redo writes again.
    SiteRecord stored(int number, const SiteRecord &given) const;
    void remember(Step step);
    // Removes the files the steps [first, last) keep, before they go.
    void forget(std::size_t first, std::size_t last);
    // Takes the step back (or makes it again) on disk; entries whose record is no longer as the
    // step (or its undo) left it are refused and dropped from the step.
    UndoOutcome apply(Step &step, bool undoing);
    OperationResult bringBack(Step &step, bool undoing);
    OperationResult takeAway(Step &step, bool undoing, QStringList &refused);
    OperationResult alter(Step &step, bool undoing, QStringList &refused);
    void keepStanding(Step &step, bool undoing, QStringList &refused, OperationStatus &why);
    // The name of an entry's site as the step knows it.
    static QString siteName(const Step &step, const Entry &entry);
    static QString describe(const Step &step);

    SiteRegister &m_register;
    std::size_t m_depth;
    std::vector<Step> m_steps;
    // Steps before it are done, steps from it on undone.
    std::size_t m_next = 0;
    // The numbers of the records that stand as this window's steps left them.
    QHash<int, std::shared_ptr<int>> m_live;
};
