#pragma once

#include <QByteArray>
#include <QString>

class SiteRecord;

// How sitekanri-cli writes text: UTF-8, or the register's own code page.
enum class OutputEncoding { Utf8, Cp932 };

// Register bytes for stdout: passed through for CP932, converted for UTF-8.
QByteArray EncodeRegisterBytes(const QByteArray &bytes, OutputEncoding encoding);

// One record as a TSV line (no line end): the six fields with '\\', tab, LF and CR escaped, other
// control characters as \xNN.
// In CP932 the register's bytes pass through unchanged but for the escapes.
QByteArray RecordAsTsv(const SiteRecord &record, OutputEncoding encoding);
// One record as a one-line JSON object (no line end): its number as "id", then the fields in
// order, then "added" and "changed" (ISO 8601 UTC, null where unknown). Valid JSON whatever the
// bytes: control characters are escaped, and in UTF-8 bytes the code page cannot decode become U+FFFD.
QByteArray RecordAsJson(const SiteRecord &record, int number, OutputEncoding encoding);
// 2026-12-09T14:05:32Z; "" for 0 (unknown).
QByteArray IsoDate(std::int64_t seconds);

// One record as a line of a listing (with its line end): JSON, or TSV led by its number when `ids`
// and followed by the added and changed dates when `dates` ("" where unknown).
QByteArray RecordLine(const SiteRecord &record, int number, bool json, bool ids, OutputEncoding encoding,
                      bool dates = false);

// One field of register bytes escaped as RecordAsTsv / RecordAsJson escape each (no quotes added).
QByteArray TsvField(const QByteArray &bytes, OutputEncoding encoding);
QByteArray JsonField(const QByteArray &bytes, OutputEncoding encoding);

// Text already in `encoding` for a terminal: control characters but tab, CR and LF written as
// \xNN, so that a title holding ESC or BEL cannot act on the terminal. For HTML, the same
// characters as character references (&#27;), which a browser reads as the same text.
QByteArray TerminalText(const QByteArray &text, OutputEncoding encoding);
QByteArray TerminalHtml(const QByteArray &html, OutputEncoding encoding);

// Writes bytes to stdout (false when they did not all get there) / a line to stderr.
bool WriteOut(const QByteArray &bytes);
void WriteError(const QString &line);
