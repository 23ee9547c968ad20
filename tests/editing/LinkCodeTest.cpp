// The link collection: the keywords offered, the code of each mode, and the page around it.
#include "CaseFile.h"
#include "KeywordList.h"
#include "LinkCode.h"
#include "LinkCodeDocument.h"
#include "TempRegister.h"

#include <QDir>

#include <tuple>

namespace {

SiteList Sites(std::initializer_list<SiteRecord> records)
{
    SiteList sites;
    for (const SiteRecord &record : records)
        sites.push_back(record);
    return sites;
}

constexpr LinkCodeMode kModes[] = {LinkCodeMode::Name, LinkCodeMode::Content, LinkCodeMode::NameAndContent};

// Markup in names and contents goes into the page as the user wrote it; a quote in a URL cannot
// end its attribute.
TEST(BuildLinkCode, exactBytesOfEachModeWithMarkupPassedThrough)
{
    const SiteList sites = Sites({MakeRecord("<b>A&amp;B</b>", "http://b/\" onmouseover=\"alert(3)\" x=\"", "html", "", "",
                                             "説明 <i>&</i> \"q\""),
                                  MakeRecord("日記", "http://d.jp/", "趣味", "", "", "")});
    const char *expected[] = {
        "<A href=\"http://b/%22 onmouseover=%22alert(3)%22 x=%22\"><b>A&amp;B</b></A><BR>\r\n"
        "<A href=\"http://d.jp/\">日記</A><BR>\r\n",
        "<A href=\"http://b/%22 onmouseover=%22alert(3)%22 x=%22\">説明 <i>&</i> \"q\"</A><BR>\r\n"
        // No invisible link: a site without a content shows its name.
        "<A href=\"http://d.jp/\">日記</A><BR>\r\n",
        "<A href=\"http://b/%22 onmouseover=%22alert(3)%22 x=%22\"><b>A&amp;B</b></A>\r\n"
        "説明 <i>&</i> \"q\"<BR>\r\n"
        "<A href=\"http://d.jp/\">日記</A>\r\n"
        "<BR>\r\n",
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(BuildLinkCode(sites, kAllKeywords, kModes[i]), Sjis(expected[i])) << i;
        EXPECT_TRUE(BuildLinkCode(SiteList(), kAllKeywords, kModes[i]).isEmpty()) << i;
    }
}

TEST(BuildLinkCode, filterTakesMatchingSitesOnceInOrder)
{
    const SiteList sites = Sites({
        MakeRecord("s0", "u0", "x", "y", "z"),
        MakeRecord("s1", "u1", "", "x", "x"),
        MakeRecord("s2", "u2", "X", " x", "x "),
        MakeRecord("s3", "u3", "y", "", ""),
        MakeRecord("s4", "u4", "全てのキーワード", "z", "y"),
    });
    const std::tuple<const char *, QByteArray, std::vector<const char *>> cases[] = {
        {"all keywords takes every site", kAllKeywords, {"s0", "s1", "s2", "s3", "s4"}},
        {"keyword on two fields written once", "x", {"s0", "s1"}},
        {"third keyword", "z", {"s0", "s4"}},
        {"blank filter takes sites with an empty keyword", "", {"s1", "s3"}},
        {"no partial, case or blank match", "x ", {"s2"}},
        {"keyword nobody carries", "w", {}},
    };
    for (const auto &[what, filter, taken] : cases) {
        QByteArray expected;
        for (const char *name : taken)
            expected += "<A href=\"u" + QByteArray(name + 1) + "\">" + name + "</A><BR>\r\n";
        EXPECT_EQ(BuildLinkCode(sites, filter, LinkCodeMode::Name), expected) << what;
    }
    // Sites left out by URL are left out of the keyword's sites only.
    const LinkExclusion leftOut = [](const QByteArray &url) { return url == "u0" || url == "u3"; };
    EXPECT_EQ(BuildLinkCode(sites, "y", LinkCodeMode::Name, leftOut), "<A href=\"u4\">s4</A><BR>\r\n");
    // Sites given in another order (the list's) are written in that order.
    const std::vector<const SiteRecord *> listOrder{&sites.at(4), &sites.at(1), &sites.at(0)};
    EXPECT_EQ(BuildLinkCode(listOrder, "z", LinkCodeMode::Name), "<A href=\"u4\">s4</A><BR>\r\n<A href=\"u0\">s0</A><BR>\r\n");
}

TEST(BuildKeywordList, allKeywordsThenFirstAppearanceOrderByExactBytes)
{
    for (const CaseRow &c : ReadCaseRows(QStringLiteral(TEST_DATA "/keyword_lists.tsv"))) {
        SiteList sites;
        for (const QByteArray &site : c.fields.mid(2)) {
            const QList<QByteArray> k = site.split('|');
            sites.push_back(MakeRecord("n", "u", k.value(0).constData(), k.value(1).constData(), k.value(2).constData(), "c"));
        }
        KeywordList expected{Sjis("全てのキーワード")};
        for (const QByteArray &keyword : c.fields.value(1).split('|'))
            if (keyword != "-")
                expected.push_back(Sjis(keyword.constData()));
        EXPECT_EQ(BuildKeywordList(sites), expected) << c.fields[0].toStdString();
    }
}

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
