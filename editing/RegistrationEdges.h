#pragma once

#include "SiteEntry.h"

#include <QString>

// What the registration operations need from the window around them. The window implements it
// with its real fields and message boxes; tests implement it with a fake.
class RegistrationEdges
{
public:
    virtual ~RegistrationEdges() = default;

    // The six registration fields exactly as they hold their text.
    virtual SiteFields ReadSiteFields() const = 0;
    // The list position of the current row, or -1 when there is none.
    virtual int GetSelectedSiteRow() const = 0;
    // A message with an OK button; returns when it has been closed.
    virtual void ShowMessage(const QString &text) = 0;
    // A Yes/No question; true only for Yes.
    virtual bool AskYesNo(const QString &question) = 0;
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
