#include "CaseName.h"
#include "IniDocument.h"

#include <gtest/gtest.h>

// The rules of the Windows profile-file functions, as recorded from the functions themselves.
namespace {

struct ReadCase
{
    const char *name;
    QByteArray file;
    QByteArray section;
    QByteArray key;
    QByteArray expected;
};

QByteArray B(const char *s) { return QByteArray(s); }
// Bytes with NULs in them: the whole literal but its terminator.
template <std::size_t N>
QByteArray Z(const char (&s)[N]) { return QByteArray(s, N - 1); }

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, readsAsTheProfileFunctions)
{
    const ReadCase &c = GetParam();
    const IniDocument doc = IniDocument::parse(c.file);
    EXPECT_EQ(doc.value(c.section, c.key, B("<default>")), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniRead,
    ::testing::Values(
        ReadCase{"crlf", B("[DATA]\r\nNAME=x\r\n"), "DATA", "NAME", "x"},
        ReadCase{"lf only", B("[DATA]\nNAME=lf name\nURL=lf url\n"), "DATA", "URL", "lf url"},
        ReadCase{"cr only", B("[DATA]\rNAME=cr name\rURL=cr url\r"), "DATA", "URL", "cr url"},
        ReadCase{"no final newline", B("[DATA]\r\nNAME=x\r\nURL=last"), "DATA", "URL", "last"},
        ReadCase{"lower-case names", B("[data]\r\nname=lower\r\n"), "DATA", "NAME", "lower"},
        ReadCase{"spaces around =", B("[DATA]\r\nURL\t=\ttabbed\r\n"), "DATA", "URL", "tabbed"},
        ReadCase{"indented key", B("[DATA]\r\n  KEY1=indented\r\n"), "DATA", "KEY1", "indented"},
        ReadCase{"blank value", B("[DATA]\r\nKEY2   =   \r\n"), "DATA", "KEY2", ""},
        ReadCase{"spaces in brackets", B("[ DATA ]\r\nNAME=in spaced\r\n"), "DATA", "NAME", "in spaced"},
        ReadCase{"text after ]", B("[DATA] ; comment\r\nNAME=after\r\n"), "DATA", "NAME", "after"},
        ReadCase{"first duplicate key wins", B("[DATA]\r\nNAME=first\r\nNAME=second\r\n"), "DATA", "NAME", "first"},
        ReadCase{"first duplicate section only", B("[DATA]\r\nNAME=s1\r\n[O]\r\n[DATA]\r\nURL=u2\r\n"), "DATA", "URL",
                 "<default>"},
        ReadCase{"key without = reads the default", B("[DATA]\r\nNAME\r\nURL=u\r\n"), "DATA", "NAME", "<default>"},
        ReadCase{"key without = hides a later one", B("[DATA]\r\nNAME\r\nNAME=x\r\n"), "DATA", "NAME", "<default>"},
        ReadCase{"keys before any section", B("NAME=orphan\r\n[DATA]\r\nURL=u\r\n"), "DATA", "NAME", "<default>"},
        ReadCase{"; starts no comment", B(";NAME=c\r\n[DATA]\r\nKEY2=v ; not a comment\r\n"), "DATA", "KEY2",
                 "v ; not a comment"},
        ReadCase{"; line is a key of its own", B("[DATA]\r\n;URL=commented\r\n"), "DATA", ";URL", "commented"},
        ReadCase{"double quotes stripped", B("[DATA]\r\nNAME=\"quoted\"   \r\n"), "DATA", "NAME", "quoted"},
        ReadCase{"single quotes keep blanks", B("[DATA]\r\nURL='  padded  '\r\n"), "DATA", "URL", "  padded  "},
        ReadCase{"inner quotes stay", B("[DATA]\r\nKEY1=\"a\" \"b\"\r\n"), "DATA", "KEY1", "a\" \"b"},
        ReadCase{"mixed quotes stay", B("[DATA]\r\nNAME=\"a'\r\n"), "DATA", "NAME", "\"a'"},
        ReadCase{"lone quote stays", B("[DATA]\r\nNAME=\"\r\n"), "DATA", "NAME", "\""},
        ReadCase{"ideographic space is not blank", B("[DATA]\r\nNAME=\x81@x\x81@\r\n"), "DATA", "NAME",
                 "\x81@x\x81@"},
        ReadCase{"blank lines vanish", B("\r\n\r\n[DATA]\r\n\r\nNAME=abc   \r\n"), "DATA", "NAME", "abc"},
        ReadCase{"trail byte ] is no bracket", B("[abc]\x83]\r\nNAME=x\r\n"), "abc", "NAME", "x"},
        ReadCase{"section named by a ]-trail char", B("[\x83]]\r\nNAME=y\r\n"), "\x83]", "NAME", "y"},
        ReadCase{"trail-byte letters keep case", B("[\x83\x41]\r\nNAME=z\r\n"), "\x83\x61", "NAME", "<default>"},
        ReadCase{"value ending in \\ trail", B("[DATA]\r\nNAME=\x95\\\r\n"), "DATA", "NAME", "\x95\\"},
        ReadCase{"[ without ] is an entry", B("[DATA]\r\n[NAME=x\r\n"), "DATA", "[NAME", "x"},
        ReadCase{"utf-8 bom", B("\xEF\xBB\xBF[DATA]\r\nNAME=\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x88\r\n"), "DATA",
                 "NAME", "\x83T\x83" "C\x83g"},
        // As the Windows conversion does: '?' for each UTF-16 unit the code page lacks.
        ReadCase{"utf-8 bom, characters cp932 lacks", B("\xEF\xBB\xBF[D]\r\nK=a\xF0\x9F\x98\x80" "b\xE3\x80\x9C\r\n"),
                 "D", "K", "a??b?"},
        ReadCase{"utf-8 bom over shift-jis bytes", B("\xEF\xBB\xBF[D]\r\nK=\x83T\x83" "C\x83g\x8a\xc7\x97\x9d\r\n"), "D",
                 "K", "?T?C?g???"},
        // The Windows reader hands back C strings: a name or value ends at a NUL. A register that
        // kept the NUL could never be saved again, as no value with a NUL can be written.
        ReadCase{"value ends at a nul", Z("[D]\r\nK=x\0  \r\n"), "D", "K", "x"},
        ReadCase{"unquoted after the cut", Z("[D]\r\nK=\"q\"\0z\r\n"), "D", "K", "q"},
        ReadCase{"quotes cut apart", Z("[D]\r\nK=\"a\0b\"\r\n"), "D", "K", "\"a"},
        ReadCase{"key name ends at a nul", Z("[D]\r\nK\0junk=v\r\n"), "D", "K", "v"},
        ReadCase{"utf-16le bom",
                 QByteArray("\xFF\xFE[\0D\0A\0T\0A\0]\0\r\0\n\0N\0A\0M\0E\0=\0\xB5\x30\r\0\n\0", 30), "DATA",
                 "NAME", "\x83T"},
        ReadCase{"utf-16be bom", QByteArray("\xFE\xFF\0[\0D\0]\0\n\0K\0=\x30\xB5", 16), "D", "K", "\x83T"},
        ReadCase{"missing section", B("[OTHER]\r\nNAME=x\r\n"), "DATA", "NAME", "<default>"},
        ReadCase{"empty file", B(""), "DATA", "NAME", "<default>"}),
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

TEST(IniWrite, lineBreaksAndNulAreNotStorable)
{
    EXPECT_TRUE(IsStorableIniValue("plain \x83T"));
    EXPECT_FALSE(IsStorableIniValue("a\nb"));
    EXPECT_FALSE(IsStorableIniValue("a\rb"));
    EXPECT_FALSE(IsStorableIniValue(QByteArray("a\0b", 3)));
}

} // namespace
