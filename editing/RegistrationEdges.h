#pragma once

#include "SiteEntry.h"
#include "SiteRecord.h"

#include <QString>

#include <vector>

// A record as the user saw it: its number, and its texts as they were shown. Number 0: none.
struct SeenRecord
{
    int number = 0;
    SiteRecord seen;
};

// What the registration operations need from the window around them. The window implements it
// with its real fields and message boxes; tests implement it with a fake.
class RegistrationEdges
{
public:
    virtual ~RegistrationEdges() = default;

    // The six registration fields exactly as they hold their text.
    virtual SiteFields ReadSiteFields() const = 0;
    // The record the fields were filled from, as it was then (or as it was when the fields last
    // followed it); number 0 when they show none. 更新 acts on it.
    virtual SeenRecord ShownRecord() const = 0;
    // The records chosen in the list, in register order, as the list shows them now (the shown
    // record alone when no row is chosen). 削除 acts on them.
    virtual std::vector<SeenRecord> ChosenRecords() const = 0;
    // Whether the list shows record `number` as a row (a search or a filter may hide it).
    virtual bool IsRecordListed(int number) const
    {
        Q_UNUSED(number);
        return true;
    }
    // After another program changed record `number`: the fields show it as the register holds it
    // now, over what they held.
    virtual void ShowRecord(int number) = 0;
    // The same, but the fields keep what is typed, to be applied to the new version by the next 更新.
    virtual void KeepTypedFor(int number) = 0;
    // A message with an OK button; returns when it has been closed.
    virtual void ShowMessage(const QString &text) = 0;
    // A Yes/No question; true only for Yes.
    virtual bool AskYesNo(const QString &question) = 0;
    // The same, with No as the answer Enter gives: for a question whose Yes the user rarely means.
    virtual bool AskYesNoDefaultNo(const QString &question) { return AskYesNo(question); }
    // Shows `text` in a field, as the register is about to hold it.
    virtual void SetFieldText(SiteFieldId field, const QString &text) = 0;
    // Sends the user to a field to mend what was refused there: the focus on it, its text selected.
    virtual void FocusField(SiteFieldId field) = 0;
    // Makes list position `row` the current row and scrolls it into view; false without such a row.
    virtual bool SelectSiteRow(int row) = 0;
    // The number of a registered record whose URL leads to the same site as `url` (register
    // bytes), so that registering it again is asked first; 0 for none, or where nobody looks.
    virtual int FindSameSite(const QByteArray &url) const
    {
        Q_UNUSED(url);
        return 0;
    }
};
