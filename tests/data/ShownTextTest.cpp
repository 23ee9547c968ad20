// What a person reads of a record, and the text the fields edit.
#include "CaseFile.h"
#include "CodePage.h"
#include "HtmlText.h"
#include "ShownText.h"

namespace {

SiteText fieldNamed(const QString &name)
{
    if (name == u"name")
        return kNameText;
    if (name == u"content")
        return kContentText;
    if (name == u"url")
        return kUrlText;
    return kKeyword2Text;
}

TEST(ShownText, readsEachFieldAsTheTableSays)
{
    for (const CaseRow &row : ReadCaseRows(QStringLiteral(TEST_DATA "/shown_text.tsv"))) {
        SCOPED_TRACE(row.line);
        ASSERT_EQ(row.fields.size(), 3);
        if (row.field(0) == "html") {
            const QString text = QString::fromUtf8(row.field(1));
            QByteArray html;
            HtmlText::appendEscaped(html, text);
            EXPECT_EQ(html, row.field(2));
            EXPECT_EQ(HtmlText::decodeReferences(HtmlText::joinLines(QString::fromUtf8(html))), text);
            continue;
        }
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

} // namespace
