#pragma once

#include "RegisterFiles.h"
#include "SiteRecord.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

class SiteRegister;

// What became of one undo or redo.
struct UndoOutcome
{
    OperationResult result;
    // The list position of the record taken back or made again, or of the row that took its
    // place when it went; -1 when nothing was done or the list is empty.
    int row = -1;
    // What to tell the user when it was not done; empty when it was.
    QString message;

    bool done() const { return result.done(); }
};

// The register, updated and deleted sites of this window, to be taken back and made again. Each
// undo and redo is itself an ordinary operation on disk, so other programs see it as they see any
// other; none of them overwrites what another program did meanwhile: a step whose record is no
// longer as that step left it is refused, names the site, and is forgotten.
//
// A record keeps its number through undo and redo where it can. A deleted record brought back
// takes its old number again when that number is still free, and otherwise the next new number;
// the steps that concern it follow it there.
class UndoHistory : public QObject
{
    Q_OBJECT
public:
    explicit UndoHistory(SiteRegister &siteRegister, std::size_t depth = 100, QObject *parent = nullptr);
    ~UndoHistory() override;

    // The register's own operations; each one done is remembered, and forgets what was undone.
    OperationResult add(const SiteRecord &record);
    // `seen`: the record as the user saw it; nothing is written when the file no longer holds it.
    OperationResult update(int number, const SiteRecord &record, const SiteRecord &seen);
    OperationResult remove(int number, const SiteRecord &seen);
    // The same, with the record as the list has it now taken as seen.
    OperationResult update(int number, const SiteRecord &record);
    OperationResult remove(int number);

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
    struct Step
    {
        Kind kind;
        // The record's number, shared by every step of one record so that they follow it when it
        // comes back under another number.
        std::shared_ptr<int> number;
        SiteRecord before; // unused for Added
        SiteRecord after;  // unused for Removed
    };

    // The number of the record this window last left at `number`, shared with its steps.
    std::shared_ptr<int> numberOf(int number);
    void remember(Step step);
    // Takes the step back (or makes it again) on disk, unless its record is no longer as the
    // step (or its undo) left it.
    UndoOutcome apply(const Step &step, bool undoing);
    // Done when the record at `number` is `expected`; otherwise why it is not.
    OperationResult require(int number, const SiteRecord &expected) const;
    // The name of the step's site as the step knows it.
    static QString siteName(const Step &step);
    static QString describe(const Step &step);

    SiteRegister &m_register;
    std::size_t m_depth;
    std::vector<Step> m_steps;
    // Steps before it are done, steps from it on undone.
    std::size_t m_next = 0;
    // The numbers of the records that stand as this window's steps left them.
    QHash<int, std::shared_ptr<int>> m_live;
};
