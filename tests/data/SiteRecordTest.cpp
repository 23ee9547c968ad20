#include "CodePage.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(SiteRecord, newAndClearedRecordsAreValidAndEmpty)
{
    SiteRecord record = MakeRecord("名前", "http://a/", "k1", "k2", "k3", "内容");
    record.m_valid = 0;
    const SiteRecord fresh;
    EXPECT_EQ(fresh.m_valid, 1);
    record.Clear();
    EXPECT_EQ(record, fresh);
    EXPECT_TRUE(record.GetName().isEmpty() && record.GetContent().isEmpty());
}

TEST(SiteList, guardedAccessRaisesTheStandardMessage)
{
    SiteList list;
    for (const char *name : {"A", "B", "C", "D"})
        list.push_back(MakeRecord(name, "u"));
    list.replace(1, MakeRecord("B2", "u2"));
    EXPECT_EQ(list.at(1).GetName(), "B2");
    EXPECT_EQ(list.at(3).GetName(), "D");
    for (std::size_t bad : {std::size_t(4), std::size_t(100), std::size_t(-1)}) {
        try {
            (void)list.at(bad);
            FAIL() << "no exception at " << bad;
        } catch (const std::out_of_range &error) {
            EXPECT_STREQ(error.what(), "invalid vector<T> subscript");
        }
    }
}

TEST(SiteRecord, missingKeysKeepTheFieldsValues)
{
    TempRegister reg;
    reg.write(QStringLiteral("data1.ini"), "[DATA]\r\nNAME=only name\r\n");
    SiteRecord partial = MakeRecord("old", "old url");
    ASSERT_TRUE(partial.LoadFromFile(reg.file(QStringLiteral("data1.ini"))));
    EXPECT_EQ(partial.GetName(), "only name");
    EXPECT_EQ(partial.GetUrl(), "old url"); // the field's value is the default
}

// The decoder is kept between calls and the encoder's refusal is its answer: a refusal must not
// stick to the next conversion, nor a half-read character leak into the next text.
TEST(CodePage, eachConversionStartsAfresh)
{
    QByteArray bytes;
    EXPECT_FALSE(CodePage::fromText(QString::fromUtf8("a\xF0\x9F\x98\x80"), bytes)); // emoji
    EXPECT_FALSE(CodePage::fromText(QString(QChar(0xD83D)), bytes)); // half of one
    EXPECT_TRUE(CodePage::fromText(QString::fromUtf8("表ｷ"), bytes));
    EXPECT_EQ(bytes, QByteArray("\x95\\\xB7"));
    EXPECT_EQ(CodePage::toText("\x5C"), QStringLiteral("\\"));
    // What cannot be read shows as U+FFFD, never as a control character nor as nothing; half a
    // character at the end is not carried over into the next text. Control bytes are themselves.
    const std::pair<QByteArray, const char16_t *> unreadable[] = {
        {"ab\x95", u"ab\uFFFD"}, {"\x82\xFF|\x80\xA0\xFD", u"\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD"},
        {"\x81\x7F\x1A\x1C\x82", u"\uFFFD\x7F\x1A\x1C\uFFFD"}, {"\x82\xA0\x85\x40\x82\x82", u"\u3042\uFFFD\uFF42"},
    };
    for (const auto &[bytes, text] : unreadable)
        EXPECT_EQ(CodePage::toText(bytes), QString::fromUtf16(text)) << bytes.toHex(' ').constData();
}

// Outside text is escaped and encoded in runs of ASCII and of the rest: a run's end must neither
// split a character nor escape the '&' of a reference written for one the code page lacks.
TEST(CodePage, outsideTextKeepsEveryRunWhole)
{
    const std::pair<const char16_t *, QByteArray> rows[] = {
        {u"a&b<c>\"d", "a&amp;b&lt;c&gt;&quot;d"},
        {u"表&ｷ<", "\x95\\&amp;\xB7&lt;"},                   // 表's trail byte is '\\'
        {u"é&\U0001F363x", "&#233;&amp;&#127843;x"},        // references stay unescaped
        {u"日本é語&", "\x93\xFA\x96\x7B&#233;\x8C\xEA&amp;"},  // one run, partly encodable
        {u"a\xD800&b\xDC00", "a&amp;b"},                    // halves of pairs dropped
        {u"〜\t−", "\x81\x60 \x81\x7C"},                     // Windows' forms; a tab is a blank
    };
    for (const auto &[text, stored] : rows)
        EXPECT_EQ(CodePage::fromOutsideText(QString::fromUtf16(text)).toHex(' '), stored.toHex(' ')) << QString::fromUtf16(text).toStdString();
}

} // namespace
