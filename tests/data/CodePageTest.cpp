// The register's code page, by the rows of code_page.tsv (its head says how they read).
#include "CaseFile.h"
#include "CodePage.h"

namespace {

// A text field: UTF-8 with escapes, and \uHHHH for one UTF-16 unit (half of a pair too).
QString textOf(QByteArray field)
{
    QString text;
    for (qsizetype at; (at = field.indexOf("\\u")) >= 0; field = field.mid(at + 6)) {
        text += QString::fromUtf8(Unescaped(field.left(at)));
        text += QChar(char16_t(field.mid(at + 2, 4).toUShort(nullptr, 16)));
    }
    return text + QString::fromUtf8(Unescaped(field));
}

TEST(CodePage, convertsAsTheTableSays)
{
    for (const CaseRow &row : ReadCaseRows(QStringLiteral(TEST_DATA "/code_page.tsv"))) {
        SCOPED_TRACE(row.line);
        const QByteArray kind = row.fields.value(0);
        if (kind == "read") {
            EXPECT_EQ(CodePage::toText(row.field(1)), textOf(row.fields.value(2)));
        } else if (kind == "store") {
            QByteArray bytes;
            const bool stored = CodePage::fromText(textOf(row.fields.value(1)), bytes);
            EXPECT_EQ(stored ? bytes.toHex(' ') : QByteArray("refused"), row.field(2) == "refused" ? row.field(2) : row.field(2).toHex(' '));
        } else if (kind == "typed") {
            EXPECT_EQ(CodePage::toTypedText(row.field(1)), textOf(row.fields.value(2)));
            QByteArray again;
            ASSERT_TRUE(CodePage::fromTypedText(CodePage::toTypedText(row.field(1)), again));
            EXPECT_EQ(again, row.field(1));
        } else if (kind == "outside") {
            EXPECT_EQ(CodePage::fromOutsideText(textOf(row.fields.value(1))).toHex(' '), row.field(2).toHex(' '));
        } else if (kind == "chars") {
            const QByteArray bytes = row.field(1);
            QByteArrayList lengths;
            for (qsizetype i = 0; i < bytes.size();) {
                const int length = CodePage::charLength(bytes.constData(), bytes.size(), i);
                lengths << QByteArray::number(length);
                i += length;
            }
            EXPECT_EQ(lengths.join(' '), row.field(2));
        } else {
            ADD_FAILURE() << "unknown kind " << kind.constData();
        }
    }
}

} // namespace
