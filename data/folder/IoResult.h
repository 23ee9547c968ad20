#pragma once

#include "DataText.h"

#include <QString>

// Outcome of a file operation on the register: success, or the file that failed and the
// system's reason, worded for a person.
struct IoResult
{
    bool ok = true;
    QString file;
    QString reason;
    int error = 0; // the system's error number behind the reason, when there is one

    static IoResult success() { return {}; }
    static IoResult failure(const QString &file, const QString &reason, int error = 0)
    {
        return {false, file, reason, error};
    }

    explicit operator bool() const { return ok; }
    // "file: reason", for one-line reports.
    QString describe() const { return ok ? QString() : file + QStringLiteral(": ") + reason; }
};
