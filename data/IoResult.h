#pragma once

#include <QString>

// Outcome of a file operation on the register: success, or the file that failed and the
// system's reason, worded for a person.
struct IoResult
{
    bool ok = true;
    QString file;
    QString reason;

    static IoResult success() { return {}; }
    static IoResult failure(const QString &file, const QString &reason) { return {false, file, reason}; }

    explicit operator bool() const { return ok; }
    // "file: reason", for one-line reports.
    QString describe() const { return ok ? QString() : file + QStringLiteral(": ") + reason; }
};
