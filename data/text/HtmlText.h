#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Text and HTML, one way and the other: the one decoder and escaper of the program. The register's
// names and contents are HTML (the user's own markup, as typed); text that comes from elsewhere
// (a bookmark file, a drop, a page's title) is escaped on its way in, so it stays text.
namespace HtmlText {

// The references that escape() writes for the characters that are markup.
struct MarkupEscape
{
    char16_t character;
    const char *reference;
    qsizetype length;
};
inline constexpr MarkupEscape kMarkupEscapes[] = {{u'&', "&amp;", 5}, {u'<', "&lt;", 4}, {u'>', "&gt;", 4}, {u'"', "&quot;", 6}};

// The escape of `c` when it is markup, else nullptr.
inline const MarkupEscape *markupEscapeOf(char16_t c)
{
    switch (c) {
    case u'&': return &kMarkupEscapes[0];
    case u'<': return &kMarkupEscapes[1];
    case u'>': return &kMarkupEscapes[2];
    case u'"': return &kMarkupEscapes[3];
    default: return nullptr;
    }
}

// `text` as HTML that shows it: & < > and " escaped, nothing else touched.
QString escape(const QString &text);

// Appends `ascii` (every character of it below 0x80) escaped as escape() does, a byte a character.
void appendEscapedAscii(QByteArray &out, QStringView ascii);

// Decodes character references once: the named ones bookmark files use (&amp; &lt; &gt; &quot;
// &apos; &nbsp; and a few typographic ones) and numeric ones, decimal or hex. A reference
// needs its ';'; one that is unknown or malformed stays as written. A number that names no
// character (0, a surrogate, beyond U+10FFFF) becomes U+FFFD.
QString decodeReferences(const QString &raw);

// The text a page shows for the HTML `html` (a register name or content): tags, comments and
// declarations dropped as a browser drops them, with what <script> and <style> hold; a <br> as a
// blank, since the text is read on one line; the references of the text between decoded once
// (decodeReferences). A '<' that opens no markup is text, as in a browser ("a < b"); markup that
// never ends takes the rest of the text with it.
QString shownText(const QString &html);

// Text as written in the file, ready for its references to be decoded: the blanks at either end
// are dropped, and each line break, with the blanks around it, becomes one blank, since a
// register text is one line. Other blanks inside stay as they are.
QString joinLines(const QString &raw);

// Appends `text` as UTF-8 that reads back as exactly `text`: & < > and " escaped, and blanks
// that a reader would drop or join (at either end, tabs, line breaks) written as references.
void appendEscaped(QByteArray &out, const QString &text);

} // namespace HtmlText
