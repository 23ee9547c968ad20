#pragma once

#include <QString>

class QIODevice;

// Why reading or writing `device` failed, in Japanese, for people. Qt words a file's failure in
// the system's English ("No such file or directory"); the system error behind those words is
// found again and named as SystemReason names it. Where none is behind them, the kind of
// failure (could not open, read, write) is named instead.
QString FileReason(const QIODevice &device);
