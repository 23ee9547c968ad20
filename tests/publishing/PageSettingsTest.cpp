#include "EntryChanges.h"
#include "MarkerOptions.h"
#include "PageEncoding.h"
#include "PublishList.h"
#include "TempRegister.h"

#include <QSettings>

#include <gtest/gtest.h>

// What a page says about itself, what its markers ask for, how its sites compare, and where the
// list of pages is kept.
namespace {

using Kind = PageEncoding::Kind;

TEST(PageEncoding, theMarkThenTheDeclarationThenTheBytesTellThePagesEncoding)
{
    const struct
    {
        const char *label;
        QByteArray page;
        std::optional<Kind> kind; // none: refused
        const char *name = "";
    } cases[] = {
        {"a mark outranks a declaration", "\xEF\xBB\xBF<meta charset=\"shift_jis\">", Kind::Utf8},
        {"a declaration outranks the bytes", "<meta charset=\"EUC-JP\">\xE6\x97\xA5", Kind::EucJp},
        {"http-equiv, quotes and case as pages write them",
         "<META HTTP-EQUIV=Content-Type CONTENT='text/html;charset=x-sjis'>", Kind::ShiftJis},
        {"the first declaration counts", "<meta charset=utf-8><meta charset=euc-jp>", Kind::Utf8},
        {"a meta in a comment declares nothing", "<!-- <meta charset=euc-jp> -->\xE6\x97\xA5", Kind::Utf8},
        {"a meta named otherwise declares nothing", "<meta name=\"charset\" content=\"euc-jp\">", Kind::Ascii},
        {"Western encodings of one byte: references beyond ASCII", "<meta charset=iso-8859-1>\xE9", Kind::Ascii, "iso-8859-1"},
        {"UTF-8 undeclared", "<p>\xE6\x97\xA5\xE6\x9C\xAC", Kind::Utf8},
        {"Shift_JIS undeclared: kanji that EUC-JP cannot read", "<p>\x93\xFA\x96\x7B", Kind::ShiftJis},
        {"EUC-JP undeclared: ◯, whose second byte no Shift_JIS character has", "<p>\xA2\xFE", Kind::EucJp},
        {"ISO-2022-JP declared: refused", "<meta charset=iso-2022-jp>", std::nullopt},
        {"an unknown label: refused", "<meta charset=\"klingon\">", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        const PageEncoding::Found found = PageEncoding::detect(c.page);
        ASSERT_EQ(found.encoding.has_value(), c.kind.has_value()) << found.refusal.toStdString();
        if (c.kind) {
            EXPECT_EQ(found.encoding->kind(), *c.kind);
            if (*c.name) {
                EXPECT_EQ(found.encoding->name(), QLatin1String(c.name));
            }
        }
    }
}

TEST(MarkerOptions, eachOptionSetsItsPartAndWhatAMarkerDoesNotSayComesFromThePage)
{
    RegionOptions defaults;
    defaults.mode = LinkCodeMode::Content;
    const MarkerReading plain = ReadMarkerOptions(u"", defaults);
    ASSERT_TRUE(plain.options);
    EXPECT_EQ(plain.options->mode, LinkCodeMode::Content);
    EXPECT_FALSE(plain.options->keyword);

    const MarkerReading list = ReadMarkerOptions(QString::fromUtf8(" keyword='Caf\xC3\xA9' order=list-url\tskip-dead "), defaults);
    ASSERT_TRUE(list.options) << list.refusal.toStdString();
    EXPECT_EQ(list.options->keyword, QByteArray("Caf&#233;")) << "the keyword as the register stores it";
    EXPECT_EQ(list.options->order, RegionOrder::ListUrl);
    EXPECT_TRUE(list.options->skipDead);

    const MarkerReading sections = ReadMarkerOptions(u"heading=\"H4\" contents mode=\"name\" sections", defaults);
    ASSERT_TRUE(sections.options) << sections.refusal.toStdString();
    EXPECT_EQ(sections.options->kind, RegionKind::Sections);
    EXPECT_EQ(sections.options->headingLevel, 4);
    EXPECT_TRUE(sections.options->contents);
    EXPECT_EQ(sections.options->mode, LinkCodeMode::Name);

    EXPECT_FALSE(ReadMarkerOptions(u"title updated").options);
    EXPECT_FALSE(ReadMarkerOptions(u"updated skip-dead").options);
    EXPECT_FALSE(ReadMarkerOptions(u"sections heading=h7").options);
}

TEST(EntryChanges, sitesCompareByUrlOnceWhateverSectionsTheyStandIn)
{
    const QByteArray before = "<A href=\"http://a/\">a</A>\r\nabout a<BR>\r\n<A href=\"http://b/\">b</A>\r\n<BR>\r\n"
                              "<A href=\"http://c/\">c</A>\r\n<BR>\r\n";
    // a's content changed, b stays (twice, under two headings), c went, d came.
    const QByteArray after = "<section id=\"x\">\r\n<h2>x</h2>\r\n<A href=\"http://a/\">a</A>\r\nnow about a<BR>\r\n"
                             "<A href=\"http://b/\">b</A>\r\n<BR>\r\n</section>\r\n<section id=\"y\">\r\n<h2>y</h2>\r\n"
                             "<A href=\"http://b/\">b</A>\r\n<BR>\r\n<A href=\"http://d/\">d</A>\r\n<BR>\r\n</section>\r\n";
    const SiteChanges changes = CompareEntries({before}, {after});
    EXPECT_EQ(changes.added, 1);
    EXPECT_EQ(changes.removed, 1);
    EXPECT_EQ(changes.changed, 2) << "a's content, and b now listed twice";
    EXPECT_EQ(changes.unchanged, 0);
    const SiteChanges same = CompareEntries({before}, {before});
    EXPECT_EQ(same.unchanged, 3);
    EXPECT_EQ(same.added + same.removed + same.changed, 0);
}

TEST(PublishList, eachRegisterFolderKeepsItsOwnListHoweverItsPathIsSpelt)
{
    TempRegister config, first, second;
    const QString file = config.file(QStringLiteral("publishing.ini"));
    PublishList one;
    one.pages.push_back({PageEntry::Kind::Marked, QStringLiteral("/site/news.html"), {}, {}});
    PageEntry own{PageEntry::Kind::OwnPage, QString::fromUtf8("/site/リンク.html"), QStringLiteral("/t.html"), {}};
    own.settings.title = QString::fromUtf8("私のリンク集");
    own.settings.defaults.mode = LinkCodeMode::NameAndContent;
    own.settings.defaults.skipDead = true;
    one.pages.push_back(own);
    one.publishOnChange = true;
    ASSERT_TRUE(one.save(first.path(), file));
    PublishList two;
    two.pages.push_back({PageEntry::Kind::Marked, QStringLiteral("/other/"), {}, {}});
    ASSERT_TRUE(two.save(second.path() + QStringLiteral("/./"), file));

    ASSERT_TRUE(QFile::link(first.path(), config.file(QStringLiteral("link"))));
    const PublishList read = PublishList::load(config.file(QStringLiteral("link")), file);
    ASSERT_EQ(read.pages.size(), 2u);
    EXPECT_TRUE(read.publishOnChange);
    const PageEntry &back = read.pages[1];
    EXPECT_EQ(back.kind, PageEntry::Kind::OwnPage);
    EXPECT_EQ(back.path + u'|' + back.templatePath + u'|' + back.settings.title,
              QString::fromUtf8("/site/リンク.html|/t.html|私のリンク集"));
    EXPECT_EQ(back.settings.defaults.mode, LinkCodeMode::NameAndContent);
    EXPECT_TRUE(back.settings.defaults.skipDead);
    EXPECT_EQ(PublishList::load(second.path(), file).pages.front().path, QStringLiteral("/other/"));
    EXPECT_TRUE(PublishList::load(config.path(), file).pages.empty());

    // What a later version keeps beside a register's pages outlives a save of the list.
    QSettings(file, QSettings::IniFormat).setValue(QStringLiteral("registers/1/upload/host"), QStringLiteral("example.jp"));
    one.pages.pop_back();
    ASSERT_TRUE(one.save(first.path(), file));
    EXPECT_EQ(PublishList::load(first.path(), file).pages.size(), 1u);
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value(QStringLiteral("registers/1/upload/host")).toString(), QStringLiteral("example.jp"));

    // The server a list names follows it renamed, and goes with it removed, in every list that names it.
    one.server = two.server = QString::fromUtf8("自宅");
    ASSERT_TRUE(one.save(first.path(), file) && two.save(second.path(), file));
    ASSERT_TRUE(PublishList::renameServer(QString::fromUtf8("自宅"), QString::fromUtf8("実家"), file));
    EXPECT_EQ(PublishList::load(first.path(), file).server + u'|' + PublishList::load(second.path(), file).server,
              QString::fromUtf8("実家|実家"));
    EXPECT_EQ(PublishList::load(first.path(), file).pages.size(), 1u);
    ASSERT_TRUE(PublishList::renameServer(QString::fromUtf8("実家"), QString(), file));
    EXPECT_TRUE(PublishList::load(second.path(), file).server.isEmpty());
}

} // namespace
