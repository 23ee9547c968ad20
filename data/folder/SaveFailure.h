#pragma once

#include "IoResult.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QSaveFile;

// How a failed save is worded. Reason: the system's reason, in Japanese, as FileReason words it
// (what the register, the bookmark export and the records say). Sentence: a whole sentence that
// names what is wrong with the place first (no folder to save in, a folder of that name, no right
// to write), then the system's own words after it (what the link page says under its path).
enum class SaveWording { Reason, Sentence };

// Why saving through `file` failed, worded for a person. `cutShort`: the file took fewer bytes
// than it was given, which a full disk does without any error of its own.
QString SaveFailure(const QSaveFile &file, bool cutShort, SaveWording wording = SaveWording::Reason);

// `bytes` saved at `path` whole or not at all (written beside and renamed over the old file): on
// failure `path` and SaveFailure's reason, and nothing left behind.
IoResult SaveWhole(const QString &path, const QByteArray &bytes, SaveWording wording = SaveWording::Reason);

// The same for bytes made piece by piece: `write` hands each piece to the sink it is given, which
// says whether the file took it whole; `write` returns false once a piece was not taken.
using SavePieces = std::function<bool(const std::function<bool(const QByteArray &piece)> &sink)>;
IoResult SaveWhole(const QString &path, const SavePieces &write, SaveWording wording = SaveWording::Reason);
