#pragma once

#include <QString>

// Text that comes from outside the program (a page's title and description, a sitekanri: link, a
// bookmark file, the name a sync tool gave a file) before it is shown or stored. Such text may be
// built to mislead: a bidirectional control turns "exe.png" into "gnp.exe" on a published page, a
// megabyte title fills a one-line field, a line break in a file's name forges a line of a message,
// and a "%1" in it is a placeholder to QString::arg. These few functions are the rule for all of
// them, so that every way in keeps it alike.
namespace OutsideText {

// How much of a site's name and of its content is kept, in UTF-16 code units.
inline constexpr int kMaxName = 500;
inline constexpr int kMaxContent = 2000;

// Whether `c` is one of the controls that reorder text: LRE RLE PDF LRO RLO (U+202A–U+202E) and
// LRI RLI FSI PDI (U+2066–U+2069).
bool isBidiControl(char16_t c);

// `text` without its bidirectional and other control characters (a tab or line break becomes a
// blank), cut to `limit` code units with "…" as the last one when it is longer (never between the
// halves of a surrogate pair). A megabyte title costs no more than its first `limit` characters.
QString capped(const QString &text, int limit);
inline QString name(const QString &text) { return capped(text, kMaxName); }
inline QString content(const QString &text) { return capped(text, kMaxContent); }

// A name from outside (a file's, a page's title) as a message shows it: every control character,
// bidirectional ones and line separators included, written as a visible escape ("\n", "\t",
// "\x1B", "\u202E"), after it is cut as name() cuts. Substitute it with one QString::arg call holding every argument, so that a "%1"
// in it stays text.
QString inMessage(const QString &text);

} // namespace OutsideText
