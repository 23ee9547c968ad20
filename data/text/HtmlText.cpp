#include "HtmlText.h"

#include <QStringView>

#include <algorithm>
#include <array>

namespace {

struct NamedReference
{
    const char16_t *name;
    char16_t character;
};

// The references bookmark writers emit, and the typographic ones that titles copied from web
// pages bring along; the Latin-1 letters and signs follow by their own table. HTML knows two
// thousand more; a text that uses them keeps them as written.
constexpr std::array<NamedReference, 19> kNamed{{
    {u"amp", u'&'},     {u"lt", u'<'},       {u"gt", u'>'},       {u"quot", u'"'},   {u"apos", u'\''},
    {u"AMP", u'&'},     {u"LT", u'<'},       {u"GT", u'>'},       {u"QUOT", u'"'},   {u"trade", 0x2122},
    {u"hellip", 0x2026}, {u"mdash", 0x2014}, {u"ndash", 0x2013},  {u"lsquo", 0x2018}, {u"rsquo", 0x2019},
    {u"ldquo", 0x201C}, {u"rdquo", 0x201D},  {u"bull", 0x2022},   {u"euro", 0x20AC},
}};

// U+00A0 to U+00FF by name, in the order of their code points: "M&uuml;nchen", "Caf&eacute;".
constexpr std::array<const char16_t *, 96> kLatin1Names{{
    u"nbsp",   u"iexcl",  u"cent",   u"pound",  u"curren", u"yen",    u"brvbar", u"sect",
    u"uml",    u"copy",   u"ordf",   u"laquo",  u"not",    u"shy",    u"reg",    u"macr",
    u"deg",    u"plusmn", u"sup2",   u"sup3",   u"acute",  u"micro",  u"para",   u"middot",
    u"cedil",  u"sup1",   u"ordm",   u"raquo",  u"frac14", u"frac12", u"frac34", u"iquest",
    u"Agrave", u"Aacute", u"Acirc",  u"Atilde", u"Auml",   u"Aring",  u"AElig",  u"Ccedil",
    u"Egrave", u"Eacute", u"Ecirc",  u"Euml",   u"Igrave", u"Iacute", u"Icirc",  u"Iuml",
    u"ETH",    u"Ntilde", u"Ograve", u"Oacute", u"Ocirc",  u"Otilde", u"Ouml",   u"times",
    u"Oslash", u"Ugrave", u"Uacute", u"Ucirc",  u"Uuml",   u"Yacute", u"THORN",  u"szlig",
    u"agrave", u"aacute", u"acirc",  u"atilde", u"auml",   u"aring",  u"aelig",  u"ccedil",
    u"egrave", u"eacute", u"ecirc",  u"euml",   u"igrave", u"iacute", u"icirc",  u"iuml",
    u"eth",    u"ntilde", u"ograve", u"oacute", u"ocirc",  u"otilde", u"ouml",   u"divide",
    u"oslash", u"ugrave", u"uacute", u"ucirc",  u"uuml",   u"yacute", u"thorn",  u"yuml",
}};

constexpr char32_t kReplacement = 0xFFFD;
constexpr qsizetype kLongestName = 6;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (base == 16 && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (base == 16 && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The reference starting at raw[amp] ('&'): its character and the position of its ';'.
bool parseReference(QStringView raw, qsizetype amp, qsizetype &semicolon, char32_t &character)
{
    qsizetype i = amp + 1;
    if (i < raw.size() && raw[i] == u'#') {
        ++i;
        int base = 10;
        if (i < raw.size() && (raw[i] == u'x' || raw[i] == u'X')) {
            base = 16;
            ++i;
        }
        const qsizetype first = i;
        char32_t value = 0;
        for (int digit; i < raw.size() && (digit = digitValue(raw[i], base)) >= 0; ++i)
            value = value > 0x10FFFF ? value : value * base + char32_t(digit); // stops growing once too large
        if (i == first || i >= raw.size() || raw[i] != u';')
            return false;
        semicolon = i;
        const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
        character = value == 0 || surrogate || value > 0x10FFFF ? kReplacement : value;
        return true;
    }
    // Looked for within the longest name only: a search to the end of the text for every '&'
    // took time growing with the square of a text of ampersands.
    const qsizetype found = raw.sliced(i, std::min(kLongestName + 1, raw.size() - i)).indexOf(u';');
    if (found < 0)
        return false;
    const qsizetype end = i + found;
    const QStringView name = raw.mid(i, end - i);
    for (const NamedReference &named : kNamed) {
        if (name == QStringView(named.name)) {
            semicolon = end;
            character = named.character;
            return true;
        }
    }
    for (std::size_t i = 0; i < kLatin1Names.size(); ++i) {
        if (name == QStringView(kLatin1Names[i])) {
            semicolon = end;
            character = char32_t(0xA0 + i);
            return true;
        }
    }
    return false;
}

// References for the characters a reader would change: markup, and the blanks it drops or joins.
const char *escapeOf(QChar c, bool atEnd)
{
    if (const HtmlText::MarkupEscape *markup = HtmlText::markupEscapeOf(c.unicode()))
        return markup->reference;
    switch (c.unicode()) {
    case u'\t': return "&#9;";
    case u'\n': return "&#10;";
    case u'\f': return "&#12;";
    case u'\r': return "&#13;";
    case u' ': return atEnd ? "&#32;" : nullptr;
    default: return nullptr;
    }
}

// What escape() adds to a text: measured first, so that the escaped text is written in place.
// A text of ampersands grows fivefold, and growing it one reference at a time cost more than
// everything else on an import.
qsizetype escapedExtra(QStringView text)
{
    qsizetype extra = 0;
    for (const QChar c : text) {
        if (const HtmlText::MarkupEscape *markup = HtmlText::markupEscapeOf(c.unicode()))
            extra += markup->length - 1;
    }
    return extra;
}

// Writes `text` escaped at `to`, a character (of UTF-16, or a byte for ASCII) each.
template <typename Char>
void writeEscaped(QStringView text, Char *to)
{
    for (const QChar c : text) {
        if (const HtmlText::MarkupEscape *markup = HtmlText::markupEscapeOf(c.unicode()))
            to = std::copy_n(markup->reference, markup->length, to);
        else
            *to++ = Char(c.unicode());
    }
}

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

// A tag's name, from `from` to the first blank, '/' or '>'.
QStringView tagName(QStringView html, qsizetype from)
{
    qsizetype end = from;
    while (end < html.size() && !isBlank(html[end]) && html[end] != u'/' && html[end] != u'>')
        ++end;
    return html.mid(from, end - from);
}

// Just past the '>' that ends the tag whose name ends at `from`: a '>' inside a quoted
// attribute value ends nothing.
qsizetype tagEnd(QStringView html, qsizetype from)
{
    for (qsizetype i = from; i < html.size(); ++i) {
        if (html[i] == u'>')
            return i + 1;
        if (html[i] != u'=')
            continue;
        while (i + 1 < html.size() && isBlank(html[i + 1]))
            ++i;
        if (i + 1 < html.size() && (html[i + 1] == u'"' || html[i + 1] == u'\'')) {
            const qsizetype close = html.indexOf(html[i + 1], i + 2);
            if (close < 0)
                return html.size();
            i = close;
        }
    }
    return html.size();
}

// Markup starting at html[lt] ('<') as a browser reads it: where it ends (just past it), and
// the name of the tag when it is a start tag; -1 when the '<' opens nothing and is text.
qsizetype markupEnd(QStringView html, qsizetype lt, QStringView &startTag)
{
    startTag = {};
    const QStringView after = html.mid(lt + 1);
    if (after.startsWith(u"!--")) {
        // "<!-->" and "<!--->" end at once, as browsers have it.
        const qsizetype close = html.indexOf(u"-->", std::min(lt + 2, html.size()));
        return close < 0 ? html.size() : close + 3;
    }
    if (!after.isEmpty() && isAsciiLetter(after[0])) {
        startTag = tagName(html, lt + 1);
        return tagEnd(html, lt + 1 + startTag.size());
    }
    if (after.size() >= 2 && after[0] == u'/' && isAsciiLetter(after[1]))
        return tagEnd(html, lt + 2);
    if (after.startsWith(u'!') || after.startsWith(u'?') || after.startsWith(u'/')) {
        const qsizetype close = html.indexOf(u'>', lt + 2);
        return close < 0 ? html.size() : close + 1;
    }
    return -1;
}

} // namespace

namespace HtmlText {

QString shownText(const QString &html)
{
    const QStringView all(html);
    qsizetype lt = all.indexOf(u'<');
    if (lt < 0)
        return decodeReferences(html);
    QString out;
    out.reserve(html.size());
    qsizetype from = 0;
    for (; lt >= 0; lt = all.indexOf(u'<', lt + 1)) {
        QStringView startTag;
        qsizetype end = markupEnd(all, lt, startTag);
        if (end < 0)
            continue;
        out += decodeReferences(all.mid(from, lt - from).toString());
        if (startTag.compare(u"br", Qt::CaseInsensitive) == 0)
            out += u' ';
        // What a script or a style sheet holds is no text of the page, up to its end tag.
        for (const char16_t *raw : {u"script", u"style"}) {
            if (startTag.compare(QStringView(raw), Qt::CaseInsensitive) != 0)
                continue;
            const qsizetype close = all.indexOf(QStringLiteral("</") + QString::fromUtf16(raw), end, Qt::CaseInsensitive);
            end = close < 0 ? all.size() : close;
        }
        from = end;
        lt = end - 1;
    }
    out += decodeReferences(all.mid(from).toString());
    return out;
}

QString escape(const QString &text)
{
    const qsizetype extra = escapedExtra(text);
    if (extra == 0)
        return text;
    QString out(text.size() + extra, Qt::Uninitialized);
    writeEscaped(QStringView(text), reinterpret_cast<char16_t *>(out.data()));
    return out;
}

void appendEscapedAscii(QByteArray &out, QStringView ascii)
{
    const qsizetype at = out.size();
    out.resize(at + ascii.size() + escapedExtra(ascii));
    writeEscaped(ascii, out.data() + at);
}

QString decodeReferences(const QString &raw)
{
    qsizetype amp = raw.indexOf(u'&');
    if (amp < 0)
        return raw;
    QString out;
    out.reserve(raw.size());
    qsizetype from = 0;
    while (amp >= 0) {
        out.append(QStringView(raw).mid(from, amp - from));
        qsizetype semicolon = 0;
        char32_t character = 0;
        if (parseReference(raw, amp, semicolon, character)) {
            // Appended as it is: a string made for each of millions of references cost more
            // than all the rest of the decoding.
            if (QChar::requiresSurrogates(character))
                out.append(QChar(QChar::highSurrogate(character))).append(QChar(QChar::lowSurrogate(character)));
            else
                out.append(QChar(char16_t(character)));
            from = semicolon + 1;
        } else {
            out.append(u'&');
            from = amp + 1;
        }
        amp = raw.indexOf(u'&', from);
    }
    out.append(QStringView(raw).mid(from));
    return out;
}

QString joinLines(const QString &raw)
{
    qsizetype begin = 0;
    qsizetype end = raw.size();
    while (begin < end && isBlank(raw[begin]))
        ++begin;
    while (end > begin && isBlank(raw[end - 1]))
        --end;
    const QStringView text = QStringView(raw).mid(begin, end - begin);
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (!isBlank(text[i])) {
            out.append(text[i++]);
            continue;
        }
        const qsizetype run = i;
        bool lineBreak = false;
        for (; i < text.size() && isBlank(text[i]); ++i)
            lineBreak = lineBreak || text[i] == u'\n' || text[i] == u'\r';
        if (lineBreak)
            out.append(u' ');
        else
            out.append(text.mid(run, i - run));
    }
    return out;
}

void appendEscaped(QByteArray &out, const QString &text)
{
    // ASCII is copied byte for byte through a small buffer and only runs beyond it go through the
    // UTF-8 encoder: a converted piece and its allocation per reference cost a second per ten
    // megabytes of ampersands.
    const QStringView view(text);
    const qsizetype size = view.size();
    out.reserve(out.size() + size);
    char ascii[256];
    int buffered = 0;
    const auto flush = [&] {
        out.append(ascii, buffered);
        buffered = 0;
    };
    for (qsizetype i = 0; i < size;) {
        const char16_t c = view[i].unicode();
        if (c >= 0x80) {
            qsizetype end = i + 1;
            while (end < size && view[end].unicode() >= 0x80)
                ++end;
            flush();
            out.append(view.mid(i, end - i).toUtf8());
            i = end;
            continue;
        }
        if (const char *escape = escapeOf(QChar(c), i == 0 || i == size - 1)) {
            flush();
            out.append(escape);
        } else {
            ascii[buffered++] = char(c);
            if (buffered == int(sizeof ascii))
                flush();
        }
        ++i;
    }
    flush();
}

} // namespace HtmlText
