#pragma once

#include "IoResult.h"

#include <QByteArray>
#include <QString>

#include <functional>

class FileReplacement;
class IniDocument;

// One value of a profile file, read as the Windows profile reader reads it (never cut short):
// the value, or `defaultValue` when the file, section or key is missing. A file that exists but
// cannot be read fails with `result` (when given) and gives the default.
QByteArray ReadIniValue(const QByteArray &section, const QByteArray &key, const QByteArray &defaultValue,
                        const QString &path, IoResult *result = nullptr);

// Writes one value, creating the file, section or key as needed and keeping every other line.
// A file whose text would not change is not touched; the new file replaces the old one whole.
IoResult WriteIniValue(const QByteArray &section, const QByteArray &key, const QByteArray &value,
                       const QString &path);

// Reads the file at `path` (a missing one reads as empty), lets `change` edit it, and stages the
// new text in `replacement` when `change` reports a change (or the file did not exist yet).
using IniChange = std::function<bool(IniDocument &)>;
IoResult StageIniUpdate(FileReplacement &replacement, const QString &path, const IniChange &change);

// The failure for a value the format cannot hold (a line break or NUL in it).
IoResult UnstorableValueFailure(const QString &path, const QString &key);

// StageIniUpdate and commit, for one file on its own.
IoResult UpdateIniFile(const QString &path, const IniChange &change);
