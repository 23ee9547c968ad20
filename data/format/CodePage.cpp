#include "CodePage.h"

#include "HtmlText.h"

#include <QHash>

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace {
// ICU's name for Windows' Japanese ANSI code page (NEC and IBM extensions included).
constexpr const char *kRegisterCodePage = "CP932";

// Characters that Linux input methods type where Windows types another one of the same look, and
// the one Windows stores for them: "10:00〜18:00" typed on Linux is kept as Windows would keep it.
constexpr std::array<std::pair<char16_t, char16_t>, 7> kWindowsForms{{
    {u'\u301C', u'\uFF5E'}, // wave dash → full-width tilde (0x8160)
    {u'\u2016', u'\u2225'}, // double vertical line → parallel to (0x8161)
    {u'\u2212', u'\uFF0D'}, // minus sign → full-width hyphen-minus (0x817C)
    {u'\u00A2', u'\uFFE0'}, // cent sign (0x8191)
    {u'\u00A3', u'\uFFE1'}, // pound sign (0x8192)
    {u'\u00AC', u'\uFFE2'}, // not sign (0x81CA)
    {u'\u2014', u'\u2015'}, // em dash → horizontal bar (0x815C)
}};

// ICU's table rotates three control characters (0x1A → U+001C → 0x7F → …, as IBM's tables do);
// Windows maps every byte below 0x80 to itself. None of these bytes can be part of a double-byte
// character, so texts are decoded around them and encoded with the rotation undone afterwards.
bool isRotated(char b)
{
    return b == 0x1A || b == 0x1C || b == 0x7F;
}

char undoEncodeRotation(char b)
{
    // ICU encodes U+001A as 0x7F, U+001C as 0x1A and U+007F as 0x1C.
    switch (b) {
    case 0x7F: return 0x1A;
    case 0x1A: return 0x1C;
    case 0x1C: return 0x7F;
    default: return b;
    }
}

// `run` (no rotated byte in it) as text. ICU stands U+001A for a byte it cannot read and drops a
// lead byte at the very end; both show as U+FFFD, so that nothing unreadable looks like a control
// character or vanishes.
QString decodeRun(QStringDecoder &decoder, QByteArrayView run)
{
    QString text = decoder.decode(run);
    if (text.contains(QChar(0x1A)))
        std::replace(text.begin(), text.end(), QChar(0x1A), QChar(QChar::ReplacementCharacter));
    if (CodePage::endsInLoneLeadByte(run))
        text += QChar(QChar::ReplacementCharacter);
    return text;
}

// Every typed form is at U+00A2 or beyond: the test before the table keeps long texts cheap.
bool needsWindowsForm(char16_t c)
{
    return c >= 0xA2 && std::any_of(kWindowsForms.begin(), kWindowsForms.end(), [c](const auto &f) { return f.first == c; });
}

// `text` with each Linux form replaced by the Windows one; the text itself when it has none.
QString withWindowsForms(const QString &text)
{
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return needsWindowsForm(c.unicode()); }))
        return text;
    QString out = text;
    for (QChar &c : out) {
        for (const auto &[typed, stored] : kWindowsForms) {
            if (c.unicode() == typed)
                c = QChar(stored);
        }
    }
    return out;
}

// ICU passes half a surrogate pair as a substitute byte without reporting it.
bool hasLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

// The bytes of one character the code page may lack, remembered: a text that has one is walked
// character by character, and the same few characters come again and again.
QByteArray characterBytes(char32_t c);

// Text to the code page in runs: ASCII stands for itself there, so runs of it are copied (or
// escaped) byte for byte, and only the runs beyond it go through ICU, whose converter is opened
// once, for the first such run. Converting a long title of ASCII and references in ICU cost more
// than everything else on an import.
class RunEncoder
{
public:
    // Appends `text`, its ASCII through `appendAscii(bytes, run)`. Returns false when the code
    // page lacks some character; with `references` that character is written as a numeric
    // character reference instead (half a surrogate pair, which is no character, is dropped).
    template <typename AppendAscii>
    bool append(QByteArray &bytes, QStringView text, bool references, AppendAscii appendAscii)
    {
        bool whole = true;
        for (qsizetype i = 0; i < text.size();) {
            qsizetype end = i;
            while (end < text.size() && text[end].unicode() < 0x80)
                ++end;
            appendAscii(bytes, text.mid(i, end - i));
            i = end;
            while (end < text.size() && text[end].unicode() >= 0x80)
                ++end;
            if (end > i && !appendBeyondAscii(bytes, text.mid(i, end - i), references))
                whole = false;
            i = end;
        }
        return whole;
    }

    static void copyAscii(QByteArray &bytes, QStringView ascii)
    {
        const qsizetype at = bytes.size();
        bytes.resize(at + ascii.size());
        std::copy(ascii.utf16(), ascii.utf16() + ascii.size(), bytes.data() + at); // each below 0x80
    }

private:
    bool appendBeyondAscii(QByteArray &bytes, QStringView run, bool references)
    {
        if (!m_encoder)
            m_encoder.emplace(kRegisterCodePage, QStringConverter::Flag::Stateless);
        QByteArray encoded = m_encoder->encode(run);
        // The error flag cannot be cleared: a converter that has failed is opened anew.
        const bool whole = !m_encoder->hasError() && !hasLoneSurrogate(run);
        if (!whole)
            m_encoder.reset();
        if (whole || !references) {
            if (std::any_of(encoded.begin(), encoded.end(), isRotated))
                std::transform(encoded.begin(), encoded.end(), encoded.begin(), undoEncodeRotation);
            bytes += encoded;
            return whole;
        }
        for (qsizetype i = 0; i < run.size(); ++i) {
            const QChar c = run[i];
            if (c.isHighSurrogate() && i + 1 < run.size() && run[i + 1].isLowSurrogate()) {
                bytes += characterBytes(QChar::surrogateToUcs4(c, run[i + 1]));
                ++i;
            } else if (!c.isSurrogate()) {
                bytes += characterBytes(c.unicode());
            }
        }
        return false;
    }

    std::optional<QStringEncoder> m_encoder;
};

bool encode(QStringView text, QByteArray &bytes)
{
    bytes.clear();
    bytes.reserve(text.size());
    return RunEncoder().append(bytes, text, false, RunEncoder::copyAscii);
}

QByteArray characterBytes(char32_t c)
{
    thread_local QHash<char32_t, QByteArray> known;
    const auto found = known.constFind(c);
    if (found != known.constEnd())
        return *found;
    QByteArray bytes;
    if (!encode(QString::fromUcs4(&c, 1), bytes))
        bytes = "&#" + QByteArray::number(uint(c)) + ';';
    known.insert(c, bytes);
    return bytes;
}

// `text` in the code page, each character it lacks as a numeric character reference, which a
// page shows as that character.
QByteArray withReferences(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    RunEncoder().append(bytes, text, true, RunEncoder::copyAscii);
    return bytes;
}

// Outside text as one line of characters: tabs and line breaks become blanks, other control
// characters (C0, DEL, C1) go.
QString withoutControls(const QString &text)
{
    const auto control = [](QChar c) { return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0); };
    if (std::none_of(text.begin(), text.end(), control))
        return text;
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            out += u' ';
        else if (!control(c))
            out += c;
    }
    return out;
}

} // namespace

namespace CodePage {

// Opening an ICU converter by name costs more than most conversions, and texts are decoded for
// every cell and every line shown, so each thread keeps one decoder. It is stateless: no
// half-read character is carried from one text into the next.
QString toText(const QByteArray &bytes)
{
    // ASCII reads as itself (a lead byte is beyond it), and most texts are nothing else.
    if (std::all_of(bytes.begin(), bytes.end(), [](char b) { return static_cast<unsigned char>(b) < 0x80; }))
        return QString::fromLatin1(bytes);
    thread_local QStringDecoder decoder(kRegisterCodePage, QStringConverter::Flag::Stateless);
    if (std::none_of(bytes.begin(), bytes.end(), isRotated))
        return decodeRun(decoder, bytes);
    QString text;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (isRotated(bytes[i])) {
            text += decodeRun(decoder, QByteArrayView(bytes).sliced(start, i - start)) + QLatin1Char(bytes[i]);
            start = i + 1;
        }
    }
    return text + decodeRun(decoder, QByteArrayView(bytes).sliced(start));
}

// A fresh encoder each time: its error flag is the answer, and it cannot be cleared.
bool fromText(const QString &text, QByteArray &bytes)
{
    return encode(text, bytes);
}

bool fromTypedText(const QString &text, QByteArray &bytes)
{
    if (unstorableCharacter(text) != kNone)
        return false;
    bytes = withReferences(withWindowsForms(text));
    return true;
}

QString toTypedText(const QByteArray &bytes)
{
    const QString text = toText(bytes);
    const QLatin1String start("&#");
    qsizetype at = text.indexOf(start);
    if (at < 0)
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    for (; at >= 0; at = text.indexOf(start, at + 1)) {
        qsizetype end = at + 2;
        char32_t value = 0;
        for (; end < text.size() && end - at < 10 && text[end].isDigit() && text[end].unicode() < 0x80; ++end)
            value = value * 10 + char32_t(text[end].unicode() - u'0');
        if (end == at + 2 || end == text.size() || text[end] != u';' || text[at + 2] == u'0' || value > 0x10FFFF
            || QChar::isSurrogate(value) || (value <= 0xFFFF && needsWindowsForm(char16_t(value))))
            continue;
        // Only the very reference fromTypedText writes for it: the way back gives the same bytes.
        if (characterBytes(value) != QStringView(text).mid(at, end + 1 - at).toLatin1())
            continue;
        out.append(QStringView(text).mid(from, at - from));
        if (QChar::requiresSurrogates(value))
            out.append(QChar(QChar::highSurrogate(value))).append(QChar(QChar::lowSurrogate(value)));
        else
            out.append(QChar(char16_t(value)));
        from = end + 1;
        at = end;
    }
    out.append(QStringView(text).mid(from));
    return out;
}

char16_t windowsFormOf(char16_t typed)
{
    for (const auto &[from, stored] : kWindowsForms) {
        if (from == typed)
            return stored;
    }
    return typed;
}

char32_t unstorableCharacter(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate() || c == u'\0' || c == u'\n' || c == u'\r')
            return c.unicode();
    }
    return kNone;
}

QByteArray fromOutsideText(const QString &text)
{
    // Escaped while it is encoded: the markup characters are all ASCII, and a text of them
    // escaped first as UTF-16 took five times its size once more.
    const QString line = withWindowsForms(withoutControls(text));
    QByteArray bytes;
    bytes.reserve(line.size());
    RunEncoder().append(bytes, line, true, HtmlText::appendEscapedAscii);
    return bytes;
}

QByteArray fromOutsideKeyword(const QString &text)
{
    return withReferences(withWindowsForms(withoutControls(text)));
}

QByteArray fromKnownText(const QString &text)
{
    QByteArray bytes;
    fromText(text, bytes);
    return bytes;
}

bool isLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Lead bytes pair up after the last byte that cannot lead (a character ends there), so an odd
// number of them at the end leaves one alone; only those need looking at.
bool endsInLoneLeadByte(QByteArrayView text)
{
    qsizetype leads = 0;
    while (leads < text.size() && isLeadByte(static_cast<unsigned char>(text[text.size() - 1 - leads])))
        ++leads;
    return leads % 2 == 1;
}

int charLength(const char *data, qsizetype size, qsizetype i)
{
    if (i + 1 >= size || !isLeadByte(static_cast<unsigned char>(data[i])))
        return 1;
    const auto trail = static_cast<unsigned char>(data[i + 1]);
    return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC) ? 2 : 1;
}

} // namespace CodePage
