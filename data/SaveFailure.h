#pragma once

#include "IoResult.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QSaveFile;

// Why saving through `file` failed, worded for a person: what the place names by itself (no
// folder to save in, a folder of that name) before the system's reason as FileReason words it.
// `cutShort`: the file took fewer bytes than it was given, which a full disk does without any
// error of its own. Every file the program saves for a person says why in these words.
QString SaveFailure(const QSaveFile &file, bool cutShort = false);

// `bytes` saved at `path` whole or not at all (written beside and renamed over the old file): on
// failure `path` and SaveFailure's reason, and nothing left behind.
IoResult SaveWhole(const QString &path, const QByteArray &bytes);

// The same for bytes made piece by piece: `write` hands each piece to the sink it is given, which
// says whether the file took it whole; `write` returns false once a piece was not taken.
using SavePieces = std::function<bool(const std::function<bool(const QByteArray &piece)> &sink)>;
IoResult SaveWhole(const QString &path, const SavePieces &write);
