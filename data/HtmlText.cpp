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
// pages bring along. HTML knows two thousand more; a file that uses them keeps them as written.
constexpr std::array<NamedReference, 28> kNamed{{
    {u"amp", u'&'},     {u"lt", u'<'},      {u"gt", u'>'},      {u"quot", u'"'},
    {u"apos", u'\''},   {u"nbsp", 0x00A0},  {u"AMP", u'&'},     {u"LT", u'<'},
    {u"GT", u'>'},      {u"QUOT", u'"'},    {u"copy", 0x00A9},  {u"reg", 0x00AE},
    {u"trade", 0x2122}, {u"hellip", 0x2026}, {u"mdash", 0x2014}, {u"ndash", 0x2013},
    {u"lsquo", 0x2018}, {u"rsquo", 0x2019}, {u"ldquo", 0x201C}, {u"rdquo", 0x201D},
    {u"laquo", 0x00AB}, {u"raquo", 0x00BB}, {u"middot", 0x00B7}, {u"bull", 0x2022},
    {u"yen", 0x00A5},   {u"times", 0x00D7}, {u"deg", 0x00B0},   {u"euro", 0x20AC},
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

} // namespace

namespace HtmlText {

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
