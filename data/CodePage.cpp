#include "CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
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
// Windows maps every byte below 0x80 to itself. None of these bytes can be the trail byte of a
// double-byte character, so putting them right after ICU is safe on whole texts.
char16_t undoDecodeRotation(char16_t c)
{
    // ICU decodes 0x1A as U+001C, 0x1C as U+007F and 0x7F as U+001A.
    switch (c) {
    case 0x1C: return 0x1A;
    case 0x7F: return 0x1C;
    case 0x1A: return 0x7F;
    default: return c;
    }
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

bool hasRotated(const QByteArray &bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char b) { return b == 0x1A || b == 0x1C || b == 0x7F; });
}

bool needsWindowsForm(char16_t c)
{
    return std::any_of(kWindowsForms.begin(), kWindowsForms.end(), [c](const auto &f) { return f.first == c; });
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
bool hasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (text.at(i).isSurrogate())
            return true;
    }
    return false;
}

bool encode(const QString &text, QByteArray &bytes)
{
    QStringEncoder encoder(kRegisterCodePage);
    bytes = encoder.encode(text);
    if (hasRotated(bytes))
        std::transform(bytes.begin(), bytes.end(), bytes.begin(), undoEncodeRotation);
    return !encoder.hasError() && !hasLoneSurrogate(text);
}

} // namespace

namespace CodePage {

// Opening an ICU converter by name costs more than most conversions, and texts are decoded for
// every cell and every line shown, so each thread keeps one decoder. It is stateless: no
// half-read character is carried from one text into the next.
QString toText(const QByteArray &bytes)
{
    thread_local QStringDecoder decoder(kRegisterCodePage, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (hasRotated(bytes)) {
        for (QChar &c : text)
            c = QChar(undoDecodeRotation(c.unicode()));
    }
    return text;
}

// A fresh encoder each time: its error flag is the answer, and it cannot be cleared.
bool fromText(const QString &text, QByteArray &bytes)
{
    return encode(text, bytes);
}

bool fromTypedText(const QString &text, QByteArray &bytes)
{
    return encode(withWindowsForms(text), bytes);
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
    QByteArray ignored;
    for (qsizetype i = 0; i < text.size();) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        const QString one = text.mid(i, length);
        if (!fromTypedText(one, ignored))
            return pair ? QChar::surrogateToUcs4(one.at(0), one.at(1)) : char32_t(one.at(0).unicode());
        i += length;
    }
    return kNone;
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

int charLength(const char *data, qsizetype size, qsizetype i)
{
    if (i + 1 >= size || !isLeadByte(static_cast<unsigned char>(data[i])))
        return 1;
    const auto trail = static_cast<unsigned char>(data[i + 1]);
    return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC) ? 2 : 1;
}

} // namespace CodePage
