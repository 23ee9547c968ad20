#include "CaseName.h"
#include "CodePage.h"
#include "IniDocument.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

// The rules of the Windows profile-file functions, as recorded from the functions themselves.
namespace {

struct ReadCase
{
    const char *name;
    QByteArray file;
    QByteArray key;
    QByteArray expected;
    QByteArray section = "DATA";
};

// Bytes with NULs in them: the whole literal but its terminator.
template <std::size_t N>
QByteArray Z(const char (&s)[N]) { return QByteArray(s, N - 1); }

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, readsAsTheProfileFunctions)
{
    const ReadCase &c = GetParam();
    EXPECT_EQ(IniDocument::parse(c.file).value(c.section, c.key, "<default>"), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniRead,
    ::testing::Values(
        ReadCase{"lf only", "[DATA]\nNAME=lf name\nURL=lf url\n", "URL", "lf url"},
        ReadCase{"cr only", "[DATA]\rNAME=cr name\rURL=cr url\r", "URL", "cr url"},
        ReadCase{"no final newline", "[DATA]\r\nNAME=x\r\nURL=last", "URL", "last"},
        ReadCase{"lower-case names", "[data]\r\nname=lower\r\n", "NAME", "lower"},
        ReadCase{"blanks around = and before the key", "[DATA]\r\n  URL\t=\ttabbed\r\n", "URL", "tabbed"},
        ReadCase{"blank value", "[DATA]\r\nKEY2   =   \r\n", "KEY2", ""},
        ReadCase{"spaces in brackets", "[ DATA ]\r\nNAME=in spaced\r\n", "NAME", "in spaced"},
        ReadCase{"text after ]", "[DATA] ; comment\r\nNAME=after\r\n", "NAME", "after"},
        ReadCase{"first duplicate key wins", "[DATA]\r\nNAME=first\r\nNAME=second\r\n", "NAME", "first"},
        ReadCase{"first duplicate section only", "[DATA]\r\nNAME=s1\r\n[O]\r\n[DATA]\r\nURL=u2\r\n", "URL", "<default>"},
        ReadCase{"key without = hides a later one", "[DATA]\r\nNAME\r\nNAME=x\r\n", "NAME", "<default>"},
        ReadCase{"keys before any section", "NAME=orphan\r\n[DATA]\r\nURL=u\r\n", "NAME", "<default>"},
        ReadCase{"; starts no comment", ";NAME=c\r\n[DATA]\r\nKEY2=v ; not a comment\r\n", "KEY2", "v ; not a comment"},
        ReadCase{"; line is a key of its own", "[DATA]\r\n;URL=commented\r\n", ";URL", "commented"},
        ReadCase{"double quotes stripped", "[DATA]\r\nNAME=\"quoted\"   \r\n", "NAME", "quoted"},
        ReadCase{"single quotes keep blanks", "[DATA]\r\nURL='  padded  '\r\n", "URL", "  padded  "},
        ReadCase{"inner quotes stay", "[DATA]\r\nKEY1=\"a\" \"b\"\r\n", "KEY1", "a\" \"b"},
        ReadCase{"mixed quotes stay", "[DATA]\r\nNAME=\"a'\r\n", "NAME", "\"a'"},
        ReadCase{"lone quote stays", "[DATA]\r\nNAME=\"\r\n", "NAME", "\""},
        ReadCase{"ideographic space is not blank", "[DATA]\r\nNAME=\x81@x\x81@\r\n", "NAME", "\x81@x\x81@"},
        ReadCase{"blank lines vanish", "\r\n\r\n[DATA]\r\n\r\nNAME=abc   \r\n", "NAME", "abc"},
        ReadCase{"trail byte ] is no bracket", "[abc]\x83]\r\nNAME=x\r\n", "NAME", "x", "abc"},
        ReadCase{"section named by a ]-trail char", "[\x83]]\r\nNAME=y\r\n", "NAME", "y", "\x83]"},
        ReadCase{"trail-byte letters keep case", "[\x83\x41]\r\nNAME=z\r\n", "NAME", "<default>", "\x83\x61"},
        ReadCase{"value ending in \\ trail", "[DATA]\r\nNAME=\x95\\\r\n", "NAME", "\x95\\"},
        ReadCase{"[ without ] is an entry", "[DATA]\r\n[NAME=x\r\n", "[NAME", "x"},
        ReadCase{"utf-8 bom", "\xEF\xBB\xBF[DATA]\r\nNAME=\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x88\r\n", "NAME", "\x83T\x83" "C\x83g"},
        // As the Windows conversion does: '?' for each UTF-16 unit the code page lacks.
        ReadCase{"utf-8 bom, characters cp932 lacks", "\xEF\xBB\xBF[D]\r\nK=a\xF0\x9F\x98\x80" "b\xE3\x80\x9C\r\n", "K", "a??b?", "D"},
        ReadCase{"utf-8 bom over shift-jis bytes", "\xEF\xBB\xBF[D]\r\nK=\x83T\x83" "C\x83g\x8a\xc7\x97\x9d\r\n", "K", "?T?C?g???", "D"},
        // The Windows reader hands back C strings: a name or value ends at a NUL. A register that
        // kept the NUL could never be saved again, as no value with a NUL can be written.
        ReadCase{"value ends at a nul", Z("[D]\r\nK=x\0  \r\n"), "K", "x", "D"},
        ReadCase{"unquoted after the cut", Z("[D]\r\nK=\"q\"\0z\r\n"), "K", "q", "D"},
        ReadCase{"quotes cut apart", Z("[D]\r\nK=\"a\0b\"\r\n"), "K", "\"a", "D"},
        ReadCase{"key name ends at a nul", Z("[D]\r\nK\0junk=v\r\n"), "K", "v", "D"},
        ReadCase{"utf-16le bom", Z("\xFF\xFE[\0D\0A\0T\0A\0]\0\r\0\n\0N\0A\0M\0E\0=\0\xB5\x30\r\0\n\0"), "NAME", "\x83T"},
        ReadCase{"utf-16be bom", Z("\xFE\xFF\0[\0D\0]\0\n\0K\0=\x30\xB5"), "K", "\x83T", "D"},
        ReadCase{"missing section", "[OTHER]\r\nNAME=x\r\n", "NAME", "<default>"},
        ReadCase{"empty file", "", "NAME", "<default>"}),
    CaseName());

TEST(IniRead, defaultIsUnquotedToo)
{
    EXPECT_EQ(IniDocument::parse("").value("S", "K", "\"d\""), "d");
}

struct WriteCase
{
    const char *name;
    QByteArray before;
    std::vector<std::pair<QByteArray, QByteArray>> data; // key, value in [DATA]
    QByteArray after;
};

class IniWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWrite, rewritesAsTheProfileFunctions)
{
    const WriteCase &c = GetParam();
    IniDocument doc = IniDocument::parse(c.before);
    bool changed = false;
    for (const auto &[key, value] : c.data)
        changed |= doc.setValue("DATA", key, value);
    EXPECT_EQ(changed, c.before != c.after) << c.name;
    if (changed) {
        EXPECT_EQ(doc.serialize(), c.after) << c.name;
    }
    // Before it is written, the edited file reads as it will once written.
    const IniDocument written = IniDocument::parse(c.after);
    for (const auto &[key, value] : c.data)
        EXPECT_EQ(doc.value("DATA", key), written.value("DATA", key)) << c.name << " " << key.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniWrite,
    ::testing::Values(
        WriteCase{"new file", "", {{"NAME", "n"}, {"URL", ""}},
                  "[DATA]\r\nNAME=n\r\nURL=\r\n"},
        WriteCase{"same values in an LF file leave it alone", "[DATA]\nNAME=same\nURL=\n",
                  {{"NAME", "same"}, {"URL", ""}}, "[DATA]\nNAME=same\nURL=\n"},
        WriteCase{"other lines kept, keys updated in place, new keys at the section's end",
                  "; header comment\n[OTHER]\nfoo = bar\n\n[DATA]\n; comment in data\nEXTRA=keep me\nURL = old url\n"
                  "name=old name\n  KEY1  =  old key1  \n\n[DATA2]\nx=y\n",
                  {{"NAME", "new name"}, {"URL", "new url"}, {"KEY1", ""}, {"KEY2", "k2"}},
                  "; header comment\r\n[OTHER]\r\nfoo=bar\r\n[DATA]\r\n; comment in data\r\nEXTRA=keep me\r\n"
                  "URL=new url\r\nname=new name\r\nKEY1=\r\nKEY2=k2\r\n[DATA2]\r\nx=y\r\n"},
        WriteCase{"missing section goes at the end", "[OTHER]\r\nfoo=1\r\n", {{"NAME", "N"}},
                  "[OTHER]\r\nfoo=1\r\n[DATA]\r\nNAME=N\r\n"},
        WriteCase{"first of duplicates is written", "[DATA]\r\nNAME=first\r\nNAME=second\r\n[O]\r\n[DATA]\r\nURL=2\r\n",
                  {{"NAME", "N"}, {"URL", "U"}},
                  "[DATA]\r\nNAME=N\r\nNAME=second\r\nURL=U\r\n[O]\r\n[DATA]\r\nURL=2\r\n"},
        WriteCase{"a key set twice", "[DATA]\r\nNAME=old\r\n", {{"NAME", "a"}, {"NAME", "b"}}, "[DATA]\r\nNAME=b\r\n"},
        WriteCase{"a new key set twice goes in once, before the next section", "[DATA]\r\n[X]\r\n",
                  {{"KEY2", "a"}, {"key2", "b"}}, "[DATA]\r\nKEY2=b\r\n[X]\r\n"},
        WriteCase{"keys of a new section in the order set", "", {{"NAME", "a"}, {"URL", "u"}, {" name ", "b"}},
                  "[DATA]\r\nNAME=b\r\nURL=u\r\n"},
        WriteCase{"key without = is filled in", "[DATA]\r\nNAME\r\n", {{"NAME", "n"}}, "[DATA]\r\nNAME=n\r\n"},
        WriteCase{"blanks kept by quoting", "", {{"NAME", "  a  "}}, "[DATA]\r\nNAME=\"  a  \"\r\n"},
        WriteCase{"quoted value kept by quoting", "", {{"NAME", "\"b\""}}, "[DATA]\r\nNAME=\"\"b\"\"\r\n"},
        WriteCase{"lone quotes written as they are", "", {{"NAME", "\"a'"}}, "[DATA]\r\nNAME=\"a'\r\n"},
        WriteCase{"utf-8 bom kept", "\xEF\xBB\xBF[DATA]\r\n", {{"NAME", "\x83T"}},
                  "\xEF\xBB\xBF[DATA]\r\nNAME=\xE3\x82\xB5\r\n"}),
    CaseName());

TEST(IniWrite, awkwardValuesReadBackUnchanged)
{
    const QByteArray values[] = {
        "", " ", "  lead", "trail\t", "\"q\"", "'s'", "\"", "''", "\"  padded  \"", "a;b", "k=v=w", "[x]",
        "#h", "\x83T\x83" "C\x83g", "\xB7\xB0\xDC", "\x95\\", "\x83]", "C:\\dir\\", "\x81@x\x81@", QByteArray(5000, 'x'),
    };
    for (const QByteArray &value : values) {
        IniDocument doc = IniDocument::parse("[DATA]\r\nNAME=old\r\n");
        doc.setValue("DATA", "NAME", value);
        EXPECT_EQ(IniDocument::parse(doc.serialize()).value("DATA", "NAME"), value) << value.toStdString();
    }
}

// Unicode files are converted a piece at a time: one of several megabytes, whose pieces would
// otherwise end inside characters, reads and writes as a whole.
TEST(IniUnicode, largeFileReadsAndWritesWhole)
{
    const QString value = QString::fromUtf8("サイト管理ｷｰ表");
    QString text = QStringLiteral("[D]\r\n");
    int last = 0;
    while (text.size() < 1'200'000) {
        ++last;
        text += QStringLiteral("K%1=").arg(last) + value.left(last % value.size()) + QStringLiteral("\r\n");
    }
    const std::pair<const char *, QStringEncoder::Encoding> encodings[] = {
        {"\xEF\xBB\xBF", QStringEncoder::Utf8}, {"\xFF\xFE", QStringEncoder::Utf16LE}, {"\xFE\xFF", QStringEncoder::Utf16BE}};
    for (const auto &[mark, encoding] : encodings) {
        const QByteArray file = mark + QByteArray(QStringEncoder(encoding).encode(text));
        const IniDocument doc = IniDocument::parse(file);
        const QByteArray key = "K" + QByteArray::number(last);
        EXPECT_EQ(doc.value("D", key), CodePage::fromKnownText(value.left(last % value.size()))) << mark;
        EXPECT_TRUE(doc.serialize() == file) << mark;
    }
}

TEST(IniWrite, lineBreaksAndNulAreNotStorable)
{
    EXPECT_TRUE(IsStorableIniValue("plain \x83T"));
    for (const QByteArray &value : {QByteArray("a\nb"), QByteArray("a\rb"), QByteArray("a\0b", 3)})
        EXPECT_FALSE(IsStorableIniValue(value)) << value.toHex().toStdString();
}

} // namespace
