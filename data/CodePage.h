#pragma once

#include <QByteArray>
#include <QString>

// The register's code page (CP932, Shift-JIS as Windows writes it), named in this one place.
// Record texts stay in it as bytes; only where text meets a person is it converted.
namespace CodePage {

// Bytes as text. Invalid sequences become replacement characters; never fails.
QString toText(const QByteArray &bytes);

// Text as bytes. Returns false (and leaves `bytes` unspecified) when the code page cannot hold
// some character: nothing is ever silently replaced by '?'.
bool fromText(const QString &text, QByteArray &bytes);

// Text that the caller knows to be representable (literals of the program itself).
QByteArray fromKnownText(const QString &text);

} // namespace CodePage
