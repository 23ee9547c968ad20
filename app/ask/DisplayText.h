#pragma once

#include <QString>

// Text from the register or from outside (names, URLs, server answers) made fit to show in a
// widget that lays out all it is given at once: a message box, a tooltip.
namespace DisplayText {

constexpr qsizetype kMaxLineChars = 300;
constexpr int kMaxLines = 40;

// Lines longer than kMaxLineChars cut with "…", and no more than kMaxLines lines: a message
// naming a title of a megabyte takes seconds to lay out, and no screen shows it anyway.
QString shortened(const QString &text);

// A tooltip showing `text` (shortened) as written. Qt takes a tooltip that looks like markup
// for rich text, and rich text loads the images it names (a local file, a FIFO, /dev/zero), so
// the text goes escaped inside markup of our own.
QString toolTip(const QString &text);

} // namespace DisplayText
