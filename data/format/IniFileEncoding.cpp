#include "IniFileEncoding.h"

#include "CodePage.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <algorithm>

namespace {

// A Unicode file's text in the ANSI code page. What the code page cannot hold becomes '?', one
// per UTF-16 unit, as the Windows conversion makes it: a file edited elsewhere then reads here
// as it reads there.
QByteArray toAnsi(const QString &text)
{
    QByteArray bytes;
    if (CodePage::fromText(text, bytes))
        return bytes;
    // Each character is converted once: a conversion opens a converter, and doing so for every
    // character of a file that held one emoji took a second per three megabytes.
    bytes.clear();
    QHash<char16_t, QByteArray> known;
    QByteArray one;
    for (QChar c : text) { // no character beyond the BMP is in the code page
        if (c.unicode() < 0x80) {
            bytes += char(c.unicode());
            continue;
        }
        auto found = known.constFind(c.unicode());
        if (found == known.constEnd())
            found = known.insert(c.unicode(), !c.isSurrogate() && CodePage::fromText(QString(c), one) ? one : QByteArray(1, '?'));
        bytes += *found;
    }
    return bytes;
}

bool startsWithByteOrderMark(const QByteArray &bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

// A Unicode file is converted a piece at a time, each piece ending just after a line feed (in
// none of these encodings is that unit part of another character, so the pieces convert as the
// whole would), so that a large file is never held as UTF-16 text beside its bytes. `convert`
// appends one piece's conversion to `out`.
template <typename Convert>
void convertByPieces(QByteArrayView bytes, QByteArrayView lineFeed, QByteArray &out, Convert convert)
{
    constexpr qsizetype kPieceBytes = 1 << 20;
    const qsizetype unit = lineFeed.size();
    for (qsizetype from = 0; from < bytes.size();) {
        qsizetype to = from + kPieceBytes;
        while (to + unit <= bytes.size() && bytes.sliced(to, unit) != lineFeed)
            to += unit;
        to = std::min(to + unit, bytes.size());
        convert(bytes.sliced(from, to - from), out);
        from = to;
    }
}

QByteArrayView utf16LineFeed(bool little)
{
    return little ? QByteArrayView("\n\0", 2) : QByteArrayView("\0\n", 2);
}

} // namespace

DecodedIniFile DecodeIniFile(const QByteArray &raw)
{
    QByteArray ansi;
    if (raw.startsWith("\xEF\xBB\xBF")) {

        ansi.reserve(raw.size()); // no character takes more bytes in the code page than in UTF-8
        convertByPieces(QByteArrayView(raw).sliced(3), "\n", ansi, [](QByteArrayView piece, QByteArray &out) {
            out += toAnsi(QString::fromUtf8(piece));
        });
        return {ansi, IniEncoding::Utf8Bom};
    }
    if (raw.startsWith("\xFF\xFE") || raw.startsWith("\xFE\xFF")) {
        const bool little = raw.startsWith("\xFF\xFE");
        ansi.reserve(raw.size());
        convertByPieces(QByteArrayView(raw).sliced(2), utf16LineFeed(little), ansi,
                        [little](QByteArrayView piece, QByteArray &out) {
                            QString text;
                            text.resize(piece.size() / 2); // an odd byte at the end is no character
                            for (qsizetype i = 0; i < text.size(); ++i) {
                                const auto a = static_cast<unsigned char>(piece[2 * i]);
                                const auto b = static_cast<unsigned char>(piece[2 * i + 1]);
                                text[i] = QChar(little ? char16_t(a | (b << 8)) : char16_t((a << 8) | b));
                            }
                            out += toAnsi(text);
                        });
        return {ansi, little ? IniEncoding::Utf16LeBom : IniEncoding::Utf16BeBom};
    }
    return {raw, IniEncoding::Ansi};
}

QByteArray EncodeIniFile(const QByteArray &ansi, IniEncoding encoding)
{
    // The code-page text of a piece, without copying it.
    const auto text = [](QByteArrayView piece) {
        return CodePage::toText(QByteArray::fromRawData(piece.data(), piece.size()));
    };
    QByteArray out;
    switch (encoding) {
    case IniEncoding::Ansi:
        // Text that starts like a byte-order mark (damaged lines behind blank ones) would be
        // read back as Unicode; a blank line first, which readers drop, keeps it code-page text.
        return startsWithByteOrderMark(ansi) ? "\r\n" + ansi : ansi;
    case IniEncoding::Utf8Bom:
        out.reserve(3 + ansi.size() + ansi.size() / 2); // a double-byte character takes three
        out.append("\xEF\xBB\xBF");
        convertByPieces(ansi, "\n", out, [&](QByteArrayView piece, QByteArray &utf8) { utf8 += text(piece).toUtf8(); });
        return out;
    case IniEncoding::Utf16LeBom:
    case IniEncoding::Utf16BeBom: {
        const bool little = encoding == IniEncoding::Utf16LeBom;
        out.reserve(2 + 2 * ansi.size()); // no byte makes more than one UTF-16 unit
        out.append(little ? "\xFF\xFE" : "\xFE\xFF", 2);
        convertByPieces(ansi, "\n", out, [&](QByteArrayView piece, QByteArray &utf16) {
            for (QChar c : text(piece)) {
                const char16_t u = c.unicode();
                const char hi = char(u >> 8), lo = char(u & 0xFF);
                utf16.append(little ? lo : hi).append(little ? hi : lo);
            }
        });
        return out;
    }
    }
    return ansi;
}

