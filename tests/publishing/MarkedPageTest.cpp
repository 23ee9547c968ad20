#include "CodePage.h"
#include "KeywordList.h"
#include "LinkCode.h"
#include "PageComposer.h"
#include "RegionCode.h"
#include "SiteList.h"
#include "TempRegister.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

// A marked page in each encoding and with each line end, several regions of several modes, orders
// and forms in it: every byte outside the regions stays, and each list region is what コード生成
// (and `sitekanri-cli links`) writes for its settings, in the page's encoding.
namespace {

SiteList sites()
{
    SiteList list;
    // é and 🍣 as the register keeps them: references, since CP932 lacks both.
    list.push_back(MakeRecord("Caf&#233; &#127843;", "http://cafe.example/", "料理", "ニュース", "", "パリの&lt;店&gt;"));
    list.push_back(MakeRecord("東京新聞", "http://tokyo.example/", "ニュース"));
    list.push_back(MakeRecord("①丸数字", "http://maru.example/", "", "料理", "", "NEC の文字"));
    list.push_back(MakeRecord("青空", "http://aozora.example/"));
    return list;
}

struct EncodingCase
{
    const char *label;
    const char *declaration; // "" for none
    const char *encoder;     // QStringEncoder's name for the page's bytes
    QByteArray bom;
    QByteArray lineEnd;
};

const EncodingCase kEncodings[] = {
    {"UTF-8, LF", "<meta charset=\"utf-8\">", "UTF-8", "", "\n"},
    {"UTF-8 with BOM, CRLF", "", "UTF-8", "\xEF\xBB\xBF", "\r\n"},
    {"UTF-8 undeclared, CRLF", "", "UTF-8", "", "\r\n"},
    {"Shift_JIS, CRLF", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">", "Shift_JIS", "", "\r\n"},
    {"Shift_JIS undeclared, LF", "", "Shift_JIS", "", "\n"},
    {"EUC-JP, LF", "<META CHARSET='EUC-JP'>", "EUC-JP", "", "\n"},
};

// The page, lines joined by the case's line end; regions hold something the publish replaces.
QByteArray page(const EncodingCase &c)
{
    const QString text = QString::fromUtf8(
        "<!DOCTYPE html>|<html lang=\"ja\"><head>%1<title>わたしのページ</title></head><body>|"
        "<p>前書き &amp; <!-- ふつうの注釈 --></p>|"
        "<!-- sitekanri keyword=\"ニュース\" mode=\"name-and-content\" -->|古い中身|<!-- /sitekanri -->|"
        "  <div>|  <!-- sitekanri mode=\"content\" order=\"list-name\" -->|  <!-- /sitekanri -->|  </div>|"
        "<p><!-- sitekanri keyword=\"料理\" --><!-- /sitekanri --></p>|"
        "<!-- sitekanri sections contents order=\"list-url\" -->|<!-- /sitekanri -->|"
        "<p>後書き</p></body></html>|").arg(QString::fromUtf8(c.declaration));
    QStringEncoder encoder(c.encoder);
    return c.bom + QByteArray(encoder.encode(text)).replace('|', c.lineEnd);
}

// The page cut at its markers, independently of the code under test: what lies outside the
// regions, and what each holds.
void cut(const QByteArray &page, QList<QByteArray> &outside, QList<QByteArray> &regions)
{
    qsizetype at = 0;
    for (qsizetype start; (start = page.indexOf("<!-- sitekanri ", at)) >= 0;) {
        const qsizetype open = page.indexOf("-->", start) + 3;
        const qsizetype close = page.indexOf("<!-- /sitekanri -->", open);
        outside << page.mid(at, open - at);
        regions << page.mid(open, close - open);
        at = close;
    }
    outside << page.mid(at);
}

// What コード生成 writes, in the page's encoding and line ends: the register's bytes on a Shift_JIS
// page, and elsewhere the text they stand for, é and 🍣 as themselves where the encoding has them.
QByteArray expectedCode(const EncodingCase &c, const QByteArray &code)
{
    QByteArray bytes;
    if (QByteArray(c.encoder) == "Shift_JIS") {
        bytes = code;
    } else {
        QString text = CodePage::toText(code);
        text.replace(QStringLiteral("&#233;"), QString::fromUtf8("é"));
        if (QByteArray(c.encoder) == "UTF-8")
            text.replace(QStringLiteral("&#127843;"), QString::fromUtf8("🍣"));
        QStringEncoder encoder(c.encoder);
        bytes = encoder.encode(text);
    }
    return bytes.replace("\r\n", c.lineEnd);
}

TEST(MarkedPage, regionsFilledAndEveryOtherByteKeptInEachEncoding)
{
    const SiteList list = sites();
    const LinkSource source(list, {}, QDate(2026, 12, 9));
    for (const EncodingCase &c : kEncodings) {
        SCOPED_TRACE(c.label);
        const QByteArray before = page(c);
        const ComposedPage composed = ComposeMarkedPage(before, source, {});
        ASSERT_TRUE(composed.ok()) << composed.refusal.toStdString();
        QList<QByteArray> outsideBefore, outsideAfter, regionsBefore, regions;
        cut(before, outsideBefore, regionsBefore);
        cut(composed.bytes, outsideAfter, regions);
        EXPECT_EQ(outsideAfter, outsideBefore);
        ASSERT_EQ(regions.size(), 4);
        const std::vector<const SiteRecord *> byName{&list.at(2), &list.at(0), &list.at(1), &list.at(3)};
        EXPECT_EQ(regions[0], c.lineEnd + expectedCode(c, BuildLinkCode(list, Sjis("ニュース"), LinkCodeMode::NameAndContent)));
        EXPECT_EQ(regions[1], c.lineEnd + expectedCode(c, BuildLinkCode(byName, kAllKeywords, LinkCodeMode::Content)) + "  ");
        EXPECT_EQ(regions[2], c.lineEnd + expectedCode(c, BuildLinkCode(list, Sjis("料理"), LinkCodeMode::Name)));
        // Nothing else in the page changed its line ends.
        EXPECT_EQ(composed.bytes.count('\r'), c.lineEnd == "\r\n" ? composed.bytes.count('\n') : 0);
        // The sections: a heading per keyword in the combo's order, the keywordless site last.
        const QString sections = QStringDecoder(c.encoder).decode(regions[3]);
        const qsizetype news = sections.indexOf(QString::fromUtf8("<h2>ニュース</h2>"));
        EXPECT_LT(sections.indexOf(QString::fromUtf8("<h2>料理</h2>")), news);
        EXPECT_LT(news, sections.indexOf(QString::fromUtf8("<h2>キーワードなし</h2>")));
        EXPECT_TRUE(sections.startsWith(QString::fromLatin1(c.lineEnd) + QStringLiteral("<nav>")));
    }
}

TEST(MarkedPage, charactersThePageLacksAreReferencesAndTheOthersThemselves)
{
    const SiteList list = sites();
    const LinkSource source(list, {}, QDate(2026, 12, 9));
    const struct
    {
        const char *label;
        QByteArray declaration;
        QByteArray present, absent;
    } cases[] = {
        {"UTF-8", "<meta charset=utf-8>", "Caf\xC3\xA9 \xF0\x9F\x8D\xA3", "&#233;"},
        {"Shift_JIS", "<meta charset=shift_jis>", "Caf&#233; &#127843;", "Caf\xC3\xA9"},
        {"EUC-JP: é in JIS X 0212, 🍣 in nothing", "<meta charset=euc-jp>", "Caf\x8F\xAB\xB1 &#127843;", "&#233;"},
        {"windows-1252: all beyond ASCII", "<meta charset=windows-1252>", "Caf&#233; &#127843;", "\x93\x8C"},
        {"ASCII and nothing declared", "", "&#26481;&#20140;", "Caf\xC3\xA9"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        const ComposedPage composed = ComposeMarkedPage(c.declaration + "\n<!-- sitekanri -->\n<!-- /sitekanri -->\n", source, {});
        ASSERT_TRUE(composed.ok()) << composed.refusal.toStdString();
        EXPECT_TRUE(composed.bytes.contains(c.present)) << composed.bytes.toStdString();
        EXPECT_FALSE(composed.bytes.contains(c.absent));
    }
}

TEST(MarkedPage, refusedPagesSayWhichLineAndWhy)
{
    const SiteList list = sites();
    const LinkSource source(list, {}, QDate(2026, 12, 9));
    const struct
    {
        QByteArray page;
        const char *reason; // a part of the refusal
    } cases[] = {
        {"<p>\n<!-- /sitekanri -->\n", "2 行目: <!-- /sitekanri --> の前に"},
        {"<!-- sitekanri -->\n<p>\n", "1 行目: <!-- sitekanri --> が <!-- /sitekanri --> で閉じていません"},
        {"<!-- sitekanri -->\n<!-- sitekanri mode=\"content\" -->\n<!-- /sitekanri -->\n<!-- /sitekanri -->",
         "2 行目: 目印の中に目印があります（1 行目"},
        {"\n\n<!-- sitekanri colour=\"red\" --><!-- /sitekanri -->", "3 行目: 「colour」という指定はありません"},
        {"<!-- sitekanri mode=\"table\" --><!-- /sitekanri -->", "「mode」の値「table」は使えません"},
        {"<!-- sitekanri mode=content mode=name --><!-- /sitekanri -->", "「mode」が二度あります"},
        {"<!-- sitekanri sections keyword=\"x\" --><!-- /sitekanri -->", "「keyword」は sections と一緒には使えません"},
        {"<!-- sitekanri contents --><!-- /sitekanri -->", "「contents」は sections と一緒にだけ使えます"},
        {"<!-- sitekanri keyword=\"x --><!-- /sitekanri -->", "引用符が閉じていません"},
        {"<!-- sitekanri --><!-- /sitekanri all -->", "<!-- /sitekanri --> には指定を書けません"},
        {"<!-- sitekanri mode=name", "目印のコメントが「-->」で閉じていません"},
        {"<p>no marker</p>", "目印がありません"},
        {"\xFF\xFE<\0!\0", "UTF-16"},
        {"<meta charset=\"big5\"><!-- sitekanri --><!-- /sitekanri -->", "文字コード（big5）では書き込めません"},
        // あいう in EUC-JP reads as half-width katakana in Shift_JIS: nothing tells the two apart.
        {"<!-- sitekanri --><!-- /sitekanri -->\xA4\xA2\xA4\xA4\xA4\xA6", "Shift_JIS か EUC-JP か分かりません"},
        {"<!-- sitekanri --><!-- /sitekanri -->\x82\xA0\xFF", "どれでも読めません"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.page.toStdString());
        const ComposedPage composed = ComposeMarkedPage(c.page, source, {});
        EXPECT_FALSE(composed.ok());
        EXPECT_TRUE(composed.refusal.contains(QString::fromUtf8(c.reason))) << composed.refusal.toStdString();
    }
}

TEST(MarkedPage, markersAreFoundOnlyWhereTheyAreComments)
{
    const SiteList list = sites();
    const LinkSource source(list, {}, QDate(2026, 12, 9));
    // Text of a script, a style, a textarea or a title is no markup, and a commented-out meta
    // declares nothing: the page reads in UTF-8 alone.
    const QByteArray before = "<!-- <meta charset=\"shift_jis\"> --><script>var m = \"<!-- sitekanri -->\";</script>"
                              "<title><!-- /sitekanri --></title><textarea><!-- sitekanri x --></textarea>\n"
                              "<!--sitekanri keyword=\"ニュース\"--><!--/sitekanri--><!-- sitekanri-like -->";
    const ComposedPage composed = ComposeMarkedPage(before, source, {});
    ASSERT_TRUE(composed.ok()) << composed.refusal.toStdString();
    EXPECT_TRUE(composed.bytes.startsWith(before.left(before.indexOf("<!--/sitekanri"))));
    EXPECT_TRUE(composed.bytes.contains("\">東京新聞</A><BR>\n<!--/sitekanri-->"));
}

TEST(MarkedPage, theDateOfTheLastChangeStaysUntilSomethingElseChanges)
{
    SiteList list = sites();
    const QByteArray before = "<!-- sitekanri keyword=\"料理\" --><!-- /sitekanri -->\n<p><!-- sitekanri updated --><!-- /sitekanri --></p>\n";
    const ComposedPage first = ComposeMarkedPage(before, LinkSource(list, {}, QDate(2026, 12, 9)), {});
    ASSERT_TRUE(first.ok());
    EXPECT_TRUE(first.bytes.contains("<time datetime=\"2026-12-09\">2026\xE5\xB9\xB4" "12\xE6\x9C\x88" "9\xE6\x97\xA5</time>"));
    // A day later with nothing changed, the page is the same bytes; a change of one of its sites
    // dates it anew.
    EXPECT_EQ(ComposeMarkedPage(first.bytes, LinkSource(list, {}, QDate(2026, 12, 10)), {}).bytes, first.bytes);
    list.at(0).SetName("Caf&#233;");
    const ComposedPage changed = ComposeMarkedPage(first.bytes, LinkSource(list, {}, QDate(2026, 12, 10)), {});
    EXPECT_TRUE(changed.bytes.contains("datetime=\"2026-12-10\""));
    EXPECT_EQ(changed.changes.changed, 1);
    EXPECT_EQ(changed.changes.unchanged, 1);
}

} // namespace
