#include "LinkCodeDocument.h"
#include "TempRegister.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

// 0x8160 is U+FF5E; the title needs escaping and holds a character the code page lacks.
TEST(LinkCodeDocument, eachEncodingWithAndWithoutAPage)
{
    const QByteArray code = Sjis("<A href=\"u\">日記～</A><BR>\r\n");
    const QByteArray utf8Code = "<A href=\"u\">\xe6\x97\xa5\xe8\xa8\x98\xef\xbd\x9e</A><BR>\r\n";
    const QByteArray head = "<!DOCTYPE html>\r\n<html lang=\"ja\">\r\n<head>\r\n<meta charset=\"";
    const QByteArray foot = "</body>\r\n</html>\r\n";
    const QString title = QString::fromUtf8("A&B <集>\n\xf0\x9f\x98\x80");
    const struct { LinkCodeEncoding encoding; bool asPage; QString title; QByteArray expected; } cases[] = {
        {LinkCodeEncoding::RegisterCodePage, false, title, code},
        {LinkCodeEncoding::Utf8, false, title, utf8Code},
        {LinkCodeEncoding::RegisterCodePage, true, title, head + "Shift_JIS\">\r\n<title>A&amp;B &lt;" + Sjis("集")
             + "&gt; &#128512;</title>\r\n</head>\r\n<body>\r\n" + code + foot},
        {LinkCodeEncoding::Utf8, true, title, head + "UTF-8\">\r\n<title>A&amp;B &lt;\xe9\x9b\x86&gt; \xf0\x9f\x98\x80"
             "</title>\r\n</head>\r\n<body>\r\n" + utf8Code + foot},
        {LinkCodeEncoding::Utf8, true, QStringLiteral(" "), head + "UTF-8\">\r\n<title>\xe3\x83\xaa\xe3\x83\xb3\xe3\x82\xaf"
             "\xe9\x9b\x86</title>\r\n</head>\r\n<body>\r\n" + utf8Code + foot},
    };
    for (const auto &c : cases)
        EXPECT_EQ(BuildLinkCodeDocument(code, {c.encoding, c.asPage, c.title}), c.expected) << c.expected.constData();
}

TEST(LinkCodeDocument, writeReplacesTheFileOrSaysWhyNot)
{
    TempRegister dir;
    dir.write(QStringLiteral("old.html"), "old");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    ASSERT_TRUE(WriteLinkCodeDocument(dir.file(QStringLiteral("old.html")), "new\r\n"));
    EXPECT_EQ(dir.read(QStringLiteral("old.html")), "new\r\n");
    const char *failures[][2] = {{"missing/a.html", "保存先のフォルダーがありません。"},
                                 {"folder", "同じ名前のフォルダーがあります。"}};
    for (const auto &[name, reason] : failures) {
        const IoResult written = WriteLinkCodeDocument(dir.file(QString::fromUtf8(name)), "new");
        EXPECT_EQ(written.reason, QString::fromUtf8(reason)) << name;
    }
    EXPECT_EQ(TakeSnapshot(dir.path()).size(), 2u) << "nothing left behind";
}

} // namespace
