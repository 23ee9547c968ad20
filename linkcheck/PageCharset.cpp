#include "PageCharset.h"

#include "PageHead.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>

namespace {

// Where a page's own declaration is looked for, and how much of it detection reads.
constexpr qsizetype kDeclarationBytes = 8 * 1024;
constexpr qsizetype kSampleBytes = 64 * 1024;

bool among(const QByteArray &label, std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        if (label == name)
            return true;
    }
    return false;
}

// How Japanese a text reads: kana and kanji count for it; half-width katakana (what EUC-JP
// bytes become in Shift_JIS), private-use characters and bytes that decode to nothing against.
int japaneseScore(const QString &text)
{
    int score = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x3041 && u <= 0x30FF)
            score += 2;
        else if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF01 && u <= 0xFF5E))
            score += 1;
        else if (u >= 0xFF61 && u <= 0xFF9F)
            score -= 1;
        else if (u >= 0xE000 && u <= 0xF8FF)
            score -= 3;
        else if (u == 0xFFFD)
            score -= 5;
    }
    return score;
}

QString decodeWith(const char *name, const QByteArray &bytes)
{
    QStringDecoder decoder(name);
    return decoder.decode(bytes);
}

} // namespace

QByteArray PageCharset::decoderName(const QByteArray &raw)
{
    QByteArray label = raw.trimmed().toLower();
    if (label.size() >= 2 && (label.front() == '"' || label.front() == '\'') && label.back() == label.front())
        label = label.mid(1, label.size() - 2).trimmed();
    if (among(label, {"shift_jis", "shift-jis", "sjis", "x-sjis", "ms_kanji", "csshiftjis", "windows-31j", "cp932",
                      "ms932", "x-ms-cp932"}))
        return "Shift_JIS";
    if (among(label, {"euc-jp", "x-euc-jp", "eucjp", "cseucpkdfmtjapanese"}))
        return "EUC-JP";
    if (among(label, {"iso-2022-jp", "csiso2022jp"}))
        return "ISO-2022-JP";
    if (among(label, {"utf-8", "utf8", "unicode-1-1-utf-8"}))
        return "UTF-8";
    if (label.isEmpty() || label.startsWith("utf-7") || label.startsWith("utf-16") || label.startsWith("utf-32")
        || label.startsWith("ucs") || label.startsWith("unicode") || label.size() > 40)
        return {};
    return QStringDecoder(label.constData()).isValid() ? label : QByteArray();
}

QByteArray PageCharset::ofContentType(const QByteArray &contentType)
{
    for (const QByteArray &parameter : contentType.split(';')) {
        const QByteArray trimmed = parameter.trimmed();
        if (trimmed.toLower().startsWith("charset="))
            return trimmed.mid(8).trimmed();
    }
    return {};
}

QByteArray PageCharset::detect(const QByteArray &bytes)
{
    const QByteArray sample = bytes.left(kSampleBytes);
    const bool eightBit = std::any_of(sample.begin(), sample.end(), [](char c) { return (c & 0x80) != 0; });
    if (!eightBit)
        return sample.contains("\x1b$B") || sample.contains("\x1b$@") ? "ISO-2022-JP" : "UTF-8";
    QStringDecoder utf8(QStringDecoder::Utf8);
    // An incomplete character at the sample's end is held for more, not an error.
    const QString asUtf8 = utf8.decode(sample);
    if (!utf8.hasError())
        return "UTF-8";
    const int sjis = japaneseScore(decodeWith("Shift_JIS", sample));
    const int euc = japaneseScore(decodeWith("EUC-JP", sample));
    return euc > sjis ? "EUC-JP" : "Shift_JIS";
}

QByteArray PageCharset::choose(const QByteArray &body, const QByteArray &contentType)
{
    if (body.startsWith("\xEF\xBB\xBF"))
        return "UTF-8";
    if (body.startsWith("\xFE\xFF") || body.startsWith("\xFF\xFE"))
        return body.startsWith("\xFE\xFF") ? "UTF-16BE" : "UTF-16LE";
    QByteArray name = decoderName(ofContentType(contentType));
    if (name.isEmpty()) {
        // Every byte of a declaration is ASCII in each encoding the page may be in.
        const PageHead head = PageHead::read(QString::fromLatin1(body.left(kDeclarationBytes)));
        name = decoderName(head.charset.toLatin1());
    }
    return name.isEmpty() ? detect(body) : name;
}

QString PageCharset::decode(const QByteArray &bytes, const QByteArray &name)
{
    // Qt's decoders take a byte-order mark for what it says, and drop it.
    if (name == "UTF-16BE" || name == "UTF-16LE") {
        QStringDecoder utf16(name == "UTF-16BE" ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE);
        return utf16.decode(bytes);
    }
    return decodeWith(name.constData(), bytes);
}
