#pragma once

#include "MarkerOptions.h"

#include <QByteArray>
#include <QString>

#include <vector>

class PageEncoding;

// A region of a page between <!-- sitekanri … --> and <!-- /sitekanri -->: the bytes publishing
// replaces, and what it replaces them with.
struct MarkedRegion
{
    qsizetype from = 0; // the first byte after the start marker
    qsizetype to = 0;   // the end marker's first byte
    int line = 0;       // the start marker's line, counted from 1
    RegionOptions options;
    // The blanks that stand before the end marker on a line of its own: kept there, so that the
    // marker keeps its place in the page's indentation.
    QByteArray indent;
};

// The regions of a page in the order they stand, or why the page cannot be published: markers
// that do not pair or nest, or a marker with an option we do not know. Markers are looked for in
// comments only, and not in <script>, <style>, <textarea> or <title>, whose text is no markup.
struct PageMarkers
{
    std::vector<MarkedRegion> regions;
    QString refusal;
    int refusalLine = 0;

    bool ok() const { return refusal.isEmpty(); }
    // "line 12: why", for the summary and the command line.
    QString describeRefusal() const;
};

PageMarkers FindMarkers(const QByteArray &page, const PageEncoding &encoding, const RegionOptions &defaults = {});

// Whether the page holds anything that looks like a marker (a folder publishes only such pages).
bool MayHoldMarkers(const QByteArray &page);

// The line end the page uses: that of its first line, CRLF where it has none (as コード生成 writes).
QByteArray LineEndOf(const QByteArray &page);

// Where the text of the page's <title> element stands (from, to), or (-1, -1) when it has none.
std::pair<qsizetype, qsizetype> TitleTextOf(const QByteArray &page);
