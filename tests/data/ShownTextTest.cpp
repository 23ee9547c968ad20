// What a person reads of a record, and the text the fields edit.
#include "CaseFile.h"
#include "CodePage.h"
#include "ShownText.h"

namespace {

SiteText fieldNamed(const QString &name)
{
    if (name == u"name")
        return &SiteRecord::m_name;
    if (name == u"content")
        return &SiteRecord::m_content;
    if (name == u"url")
        return &SiteRecord::m_url;
    return &SiteRecord::m_keyword2;
}

TEST(ShownText, readsEachFieldAsTheTableSays)
{
    for (const CaseRow &row : ReadCaseRows(QStringLiteral(TEST_DATA "/shown_text.tsv"))) {
        SCOPED_TRACE(row.line);
        ASSERT_EQ(row.fields.size(), 3);
        const SiteText text = fieldNamed(QString::fromUtf8(row.field(0)));
        SiteRecord record;
        ASSERT_TRUE(CodePage::fromText(QString::fromUtf8(row.field(1)), record.*text));
        const QString shown = QString::fromUtf8(row.field(2));
        EXPECT_EQ(ShownText(record, text), shown);
        // The quick test never passes over a text whose shown form differs.
        if (ShownAsStored(record, text)) {
            EXPECT_EQ(CodePage::toText(record.*text), shown);
        }
    }
}

// The fields show a character the code page lacks as itself and store it as the same reference;
// every other reference is the user's HTML and stays as written.
TEST(CodePage, typedTextStoresTheSameBytesAgain)
{
    const std::pair<QByteArray, const char16_t *> rows[] = {
        {"Caf&#233; &amp;&#233", u"Café &amp;&#233"},
        {"&#127843;&#54620;\x93\xFA", u"🍣한日"},
        {"&#xE9;&#0233;&#65;&#12316;&#10;&#0;&#1114112;&#55357;", u"&#xE9;&#0233;&#65;&#12316;&#10;&#0;&#1114112;&#55357;"},
    };
    for (const auto &[stored, typed] : rows) {
        EXPECT_EQ(CodePage::toTypedText(stored), QString::fromUtf16(typed)) << stored.constData();
        QByteArray again;
        ASSERT_TRUE(CodePage::fromTypedText(CodePage::toTypedText(stored), again));
        EXPECT_EQ(again, stored);
    }
}

} // namespace
