#include "OutsideText.h"

#include <gtest/gtest.h>

namespace {

// Text from outside is cut with "…" after what it loses is gone (the controls that turn text
// around, other control characters; tabs and line breaks become blanks), never between the halves
// of a surrogate pair.
TEST(OutsideText, cutAfterWhatItLosesAndNeverInsideACharacter)
{
    const struct
    {
        const char16_t *text;
        int limit;
        const char16_t *kept;
    } cases[] = {
        {u"abcde", 5, u"abcde"},
        {u"abcdef", 5, u"abcd…"},
        {u"abc\U0001F600x", 5, u"abc…"},
        {u"ab\U0001F600xy", 5, u"ab\U0001F600…"},
        {u"exe.\u202Egnp\u202A\u202B\u202C\u202D\u2066\u2067\u2068\u2069", 20, u"exe.gnp"},
        {u"\x01\x02\x7F\x85\x1B\x1B\x1B\x1B\x1B\x1B" u"abcde", 5, u"abcde"},
        {u"a\tb\r\nc\u2028d", 20, u"a b  c d"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(OutsideText::capped(QString::fromUtf16(c.text), c.limit), QString::fromUtf16(c.kept)) << QString::fromUtf16(c.text).toStdString();
    EXPECT_EQ(OutsideText::name(QString(501, u'n')), QString(499, u'n') + u'…');
    EXPECT_EQ(OutsideText::content(QString(2001, u'n')), QString(1999, u'n') + u'…');
}

// A name in a message shows every control character as an escape: a line break cannot forge a
// line, nor U+202E turn the message around. Placeholders stay as they are (the message is built
// with one arg call).
TEST(OutsideText, namesInMessagesShowTheirControlsEscaped)
{
    const struct
    {
        const char16_t *name;
        const char16_t *shown;
    } cases[] = {
        {u"data1 (%1 %2 conflicted copy 2026-12-07).ini", u"data1 (%1 %2 conflicted copy 2026-12-07).ini"},
        {u"a\nsitekanri-cli: forged\r\t", u"a\\nsitekanri-cli: forged\\r\\t"},
        {u"\x1B[31m\x7F\x9B", u"\\x1B[31m\\x7F\\x9B"},
        {u"gnp\u202E.exe\u2066\u2028", u"gnp\\u202E.exe\\u2066\\u2028"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(OutsideText::inMessage(QString::fromUtf16(c.name)), QString::fromUtf16(c.shown));
    EXPECT_EQ(OutsideText::inMessage(QString(600, u'\n')), QStringLiteral("\\n").repeated(499) + u'…');
}

} // namespace
