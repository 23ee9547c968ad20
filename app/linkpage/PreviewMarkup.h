#pragma once

#include <QString>

class QTextDocument;

// The part of a link collection the preview lays out, and whether laying it out stays cheap.
// QTextDocument lays out nested tables in time that grows by half again with each level (20
// levels took half a minute, 100 never ended) and parses deep nesting of any element in more
// than linear time; the code box and the saved file show every byte, so the preview may refuse.
struct PreviewMarkup
{
    static constexpr int kMaxLines = 400;
    static constexpr qsizetype kMaxChars = 64 * 1024;
    static constexpr int kMaxTableDepth = 6;
    static constexpr int kMaxDepth = 256;
    static constexpr int kMaxStrayCells = 64; // cells in no open row ("<td>" without "<tr>")

    QString html;           // the code's first lines, never more than kMaxChars characters
    int lines = 0;          // how many lines (the last one perhaps cut) `html` holds
    bool cut = false;       // the code goes on after `html`
    bool tooComplex = false; // `html` nests deeper than the limits: show a notice instead

    static PreviewMarkup of(const QString &code);

    // Whether a parsed (not yet laid out) document holds tables nested deeper than kMaxTableDepth.
    // Only the parsed document can tell: the parser makes a table of its own for a cell that is
    // in no row ("<td>x</td></tr><td>" nests a second table in the first), so counting "<table>"
    // in the markup misses them.
    static bool tablesNestTooDeep(const QTextDocument &document);
};
