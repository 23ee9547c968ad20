#pragma once

#include <QByteArray>
#include <QString>

// The text of a fetched page. Its encoding is the first of: a byte-order mark, the charset of the
// HTTP Content-Type header, the charset its markup declares, and else the one of UTF-8,
// Shift_JIS, EUC-JP and ISO-2022-JP its bytes read best in (Japanese pages often declare none,
// or declare it wrongly in the header's place only). A label for an encoding whose bytes are not
// ASCII-compatible (UTF-7, UTF-16 in markup) is passed over: markup read through it would be
// other markup. Pure.
namespace PageCharset {

// The name QStringDecoder takes for a charset label; "" for one that is unknown or passed over.
QByteArray decoderName(const QByteArray &label);
// The charset parameter of a Content-Type value, as written; "" when there is none.
QByteArray ofContentType(const QByteArray &contentType);
// Which of the four Japanese encodings `bytes` read best in.
QByteArray detect(const QByteArray &bytes);

// The decoder name for a page, by the order above ("UTF-16BE"/"UTF-16LE" for a UTF-16 mark).
QByteArray choose(const QByteArray &body, const QByteArray &contentType);
// `bytes` (the page, or the start of it) decoded as `name` says.
QString decode(const QByteArray &bytes, const QByteArray &name);

} // namespace PageCharset
