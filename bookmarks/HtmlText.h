#pragma once

#include <QByteArray>
#include <QString>

// Text as the bookmark file holds it, between HTML and the register.
namespace HtmlText {

// Decodes character references once: the named ones bookmark files use (&amp; &lt; &gt; &quot;
// &apos; &nbsp; and a few typographic ones) and numeric ones, decimal or hex. A reference
// needs its ';'; one that is unknown or malformed stays as written. A number that names no
// character (0, a surrogate, beyond U+10FFFF) becomes U+FFFD.
QString decodeReferences(const QString &raw);

// Text as written in the file, ready for its references to be decoded: the blanks at either end
// are dropped, and each line break, with the blanks around it, becomes one blank, since a
// register text is one line. Other blanks inside stay as they are.
QString joinLines(const QString &raw);

// Appends `text` as UTF-8 that reads back as exactly `text`: & < > and " escaped, and blanks
// that a reader would drop or join (at either end, tabs, line breaks) written as references.
void appendEscaped(QByteArray &out, const QString &text);

} // namespace HtmlText
