#include "TextFolding.h"

#include "CodePage.h"

namespace {

// Hiragana onto their katakana, small ones onto small ones. The shift is exact for U+3041–U+3096
// and for the iteration marks ゝゞ; nothing else moves, so ー (U+30FC), which a shift of the whole
// block the other way would turn into a combining mark, stays as it is.
char16_t katakanaOf(char16_t c)
{
    if ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E)
        return char16_t(c + 0x60);
    return c;
}

// The folded form of a character that folds on its own, whatever stands beside it, or 0 when
// it may not: register texts are mostly ASCII, kana and kanji, which need no table look-up.
char16_t foldAlone(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c;
    if (c >= 0xFF01 && c <= 0xFF5E) // full-width ASCII
        return foldAlone(char16_t(c - 0xFEE0));
    if ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E)
        return katakanaOf(c);
    if ((c >= 0x30A0 && c <= 0x30FE) || (c >= 0x4E00 && c <= 0x9FFF))
        return c;
    return 0;
}

// Half-width kana with their separate voicing marks, combining marks, compatibility forms,
// letters with case beyond ASCII: through Unicode's tables. A character that Linux input
// methods type where Windows stores another (〜 U+301C for ～ U+FF5E) is first taken as the one
// the register holds, so that what is typed finds what is stored.
QString foldByTables(QStringView text)
{
    QString typed = text.toString();
    for (QChar &c : typed)
        c = QChar(CodePage::windowsFormOf(c.unicode()));
    QString folded = typed.normalized(QString::NormalizationForm_KC).toCaseFolded();
    for (QChar &c : folded)
        c = QChar(katakanaOf(c.unicode()));
    return folded;
}

} // namespace

namespace TextFolding {

QString fold(QStringView text)
{
    QString folded;
    folded.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (const char16_t c = foldAlone(text[i].unicode())) {
            folded += QChar(c);
            ++i;
            continue;
        }
        // A run of characters that need the tables goes through them with the character before
        // it, which a voicing or combining mark may join. That one folds on its own (or it
        // would belong to the run) into one character, and nothing before it can be joined.
        qsizetype start = i;
        if (start > 0) {
            --start;
            folded.chop(1);
        }
        qsizetype end = i + 1;
        while (end < text.size() && foldAlone(text[end].unicode()) == 0)
            ++end;
        folded += foldByTables(text.mid(start, end - start));
        i = end;
    }
    return folded;
}

} // namespace TextFolding
