#pragma once

#include <QString>

// The part of a link collection the preview lays out, and whether laying it out stays cheap.
// QTextDocument lays out nested tables in time that grows by half again with each level (20
// levels took half a minute, 100 never ended) and deep nesting of any element in more than
// linear time; the code box and the saved file show every byte, so the preview may refuse.
struct PreviewMarkup
{
    static constexpr int kMaxLines = 400;
    static constexpr qsizetype kMaxChars = 64 * 1024;
    static constexpr int kMaxTableDepth = 6;
    static constexpr int kMaxDepth = 256;

    QString html;           // the code's first lines, never more than kMaxChars characters
    int lines = 0;          // how many lines (the last one perhaps cut) `html` holds
    bool cut = false;       // the code goes on after `html`
    bool tooComplex = false; // `html` nests deeper than the limits: show a notice instead

    static PreviewMarkup of(const QString &code);
};
