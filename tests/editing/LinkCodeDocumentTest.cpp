#include "LinkCodeDocument.h"
#include "TempRegister.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

// 0x8160 is U+FF5E; the title needs escaping and holds a character the code page lacks.
TEST(LinkCodeDocument, eachEncodingWithAndWithoutAPage)
{
    const QByteArray code = Sjis("<A href=\"u\">日記～</A><BR>\r\n");
    const QByteArray utf8Code = "<A href=\"u\">日記～</A><BR>\r\n";
    auto page = [](const char *charset, const QByteArray &title, const QByteArray &body) {
        return "<!DOCTYPE html>\r\n<html lang=\"ja\">\r\n<head>\r\n<meta charset=\"" + QByteArray(charset)
            + "\">\r\n<title>" + title + "</title>\r\n</head>\r\n<body>\r\n" + body + "</body>\r\n</html>\r\n";
    };
    using E = LinkCodeEncoding;
    const QString title = QString::fromUtf8("A&B <集>\n😀");
    const struct { E encoding; bool asPage; QString title; QByteArray expected; } cases[] = {
        {E::RegisterCodePage, false, title, code},
        {E::Utf8, false, title, utf8Code},
        {E::RegisterCodePage, true, title, page("Shift_JIS", "A&amp;B &lt;" + Sjis("集") + "&gt; &#128512;", code)},
        {E::Utf8, true, title, page("UTF-8", "A&amp;B &lt;集&gt; 😀", utf8Code)},
        {E::Utf8, true, QStringLiteral(" "), page("UTF-8", "リンク集", utf8Code)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(BuildLinkCodeDocument(code, {c.encoding, c.asPage, c.title}), c.expected) << c.expected.constData();
}

// (A write that succeeds is the window's save test.)
TEST(LinkCodeDocument, failedWriteSaysWhyAndLeavesNothing)
{
    TempRegister dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const char *failures[][2] = {{"missing/a.html", "保存先のフォルダーがありません。"},
                                 {"folder", "同じ名前のフォルダーがあります。"}};
    for (const auto &[name, reason] : failures) {
        const IoResult written = WriteLinkCodeDocument(dir.file(QString::fromUtf8(name)), "new");
        EXPECT_EQ(written.reason, QString::fromUtf8(reason)) << name;
    }
    EXPECT_EQ(TakeSnapshot(dir.path()).size(), 1u) << "nothing left behind";
}

} // namespace
