#pragma once

#include "CliOutput.h"

#include <QByteArray>
#include <QString>

#include <functional>

class RegisterFolder;
class SiteList;

// Conflict copies that file-sync tools left in the register (see CopyTakeIn), as the command
// line meets them.

// Takes them in before a command that writes, telling on stderr what became of each. A take-in that
// cannot be done now (the lock, a damaged count) is told and leaves the copies for the next one.
// A folder with no copy in it is only listed: no lock is waited for, nothing is told.
void CliTakeInCopies(RegisterFolder &folder);

// What a count far above the register's files (see FarNumbers), `held` in `file` (default
// setting.ini), was read as: `readAs`.
QString CliFarCountText(const RegisterFolder &folder, int held, int readAs, const QString &file = QString());

// The lines `list` adds after the register's records: the records that setting.ini's copies bring
// into the count, then each copy that is a record of its own, marked with the file it lies in and the
// file it is a copy of (JSON: "conflict_of" and "file", with "id" null; TSV: an empty id). With
// `keep`, only the records it keeps (a search's).
QByteArray CliConflictLines(RegisterFolder &folder, const SiteList &sites, bool json, bool ids,
                            OutputEncoding encoding, const std::function<bool(const SiteRecord &)> &keep = {});
