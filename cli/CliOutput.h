#pragma once

#include <QByteArray>
#include <QString>

class SiteRecord;

// How sitekanri-cli writes text: UTF-8, or the register's own code page.
enum class OutputEncoding { Utf8, Cp932 };

// Text for stdout in the chosen encoding.
QByteArray EncodeOutput(const QString &text, OutputEncoding encoding);
// Register bytes for stdout: passed through for CP932, converted for UTF-8.
QByteArray EncodeRegisterBytes(const QByteArray &bytes, OutputEncoding encoding);

// One record as a TSV line (no line end): the six fields with '\\', tab, LF and CR escaped.
QString RecordAsTsv(const SiteRecord &record);
// One record as a one-line JSON object (no line end).
QString RecordAsJson(const SiteRecord &record);

// Writes bytes to stdout (false when they did not all get there) / a line to stderr.
bool WriteOut(const QByteArray &bytes);
void WriteError(const QString &line);
