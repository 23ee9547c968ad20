#include "Bookmarklet.h"
#include "CaseFile.h"
#include "SiteLink.h"
#include "TempRegister.h"

namespace {

TEST(SiteLink, takesWhatTheBrowserSentOrRefusesWithTheReason)
{
    for (const CaseRow &c : ReadCaseRows(QStringLiteral(TEST_DATA "/site_links.tsv"))) {
        const QString field[] = {QString::fromUtf8(CaseField(c.fields.value(1))), QString::fromUtf8(CaseField(c.fields.value(2))),
                                 QString::fromUtf8(CaseField(c.fields.value(3))), QString::fromUtf8(CaseField(c.fields.value(4)))};
        const SiteLink::Parsed parsed = SiteLink::parse(field[0]);
        const std::string name = c.fields.value(0).toStdString();
        if (field[1].startsWith(u'!')) {
            EXPECT_TRUE(parsed.refusal.contains(field[1].mid(1))) << name << ": " << parsed.refusal.toStdString();
            continue;
        }
        EXPECT_EQ(parsed.refusal, QString()) << name;
        EXPECT_EQ(parsed.url, field[1]) << name;
        EXPECT_EQ(parsed.name, field[2]) << name;
        EXPECT_EQ(parsed.content, field[3]) << name;
    }
}

TEST(SiteLink, fieldsHoldOutsideTextAsTextAndTheUrlInAscii)
{
    const SiteLink::Parsed parsed = SiteLink::parse(QStringLiteral(
        "sitekanri:add?url=https%3A%2F%2F%E4%BE%8B%E3%81%88.jp%2F%E9%A0%81&name=%3Cb%3E%26&content=%F0%9F%8D%A3"));
    ASSERT_TRUE(parsed.isGood()) << parsed.refusal.toStdString();
    const SiteFields fields = SiteLink::fieldsOf(parsed);
    EXPECT_EQ(fields.url, QStringLiteral("https://xn--r8jz45g.jp/%E9%A0%81"));
    EXPECT_EQ(fields.name, QStringLiteral("&lt;b&gt;&amp;"));
    EXPECT_EQ(fields.content, QString::fromUtf8("🍣")); // stored as "&#127843;"
}

// The help page offers the same bookmarklet as the window's menu, for dragging to the bar.
TEST(Bookmarklet, helpPageOffersTheProgramsCode)
{
    QString code = Bookmarklet::code().toHtmlEscaped();
    EXPECT_TRUE(QString::fromUtf8(ReadFile(QStringLiteral(TEST_DATA "/../../res/help/index.html"))).contains(QStringLiteral("href=\"") + code + u'"'));
}

} // namespace
