#include "CaseFile.h"
#include "CodePage.h"
#include "IniDocument.h"

#include <QStringEncoder>

// The rules of the Windows profile-file functions, as recorded from the functions themselves.
namespace {

TEST(IniRead, readsAsTheProfileFunctions)
{
    for (const CaseRow &row : ReadCaseRows(QStringLiteral(TEST_DATA "/ini_read.tsv"))) {
        EXPECT_EQ(IniDocument::parse(row.field(4)).value(row.field(1), row.field(2), row.fields.size() > 5 ? row.field(5) : "<default>"),
                  row.field(3))
            << row.fields[0].toStdString() << " (line " << row.line << ")";
    }
}

// Before it is written, the edited file reads as it will once written.
TEST(IniWrite, rewritesAsTheProfileFunctions)
{
    for (const CaseRow &row : ReadCaseRows(QStringLiteral(TEST_DATA "/ini_write.tsv"))) {
        SCOPED_TRACE(row.fields[0].toStdString() + " (line " + std::to_string(row.line) + ")");
        const QByteArray before = row.field(1), after = row.field(2);
        IniDocument doc = IniDocument::parse(before);
        bool changed = false;
        for (qsizetype i = 3; i + 1 < row.fields.size(); i += 2)
            changed |= doc.setValue("DATA", row.field(i), row.field(i + 1));
        EXPECT_EQ(changed, before != after);
        if (changed) {
            EXPECT_EQ(doc.serialize(), after);
        }
        const IniDocument written = IniDocument::parse(after);
        for (qsizetype i = 3; i < row.fields.size(); i += 2)
            EXPECT_EQ(doc.value("DATA", row.field(i)), written.value("DATA", row.field(i))) << row.fields[i].toStdString();
    }
}

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

// Unicode files are converted a piece at a time: one of several megabytes, whose pieces would
// otherwise end inside characters, reads and writes as a whole.
TEST(IniUnicode, largeFileReadsAndWritesWhole)
{
    const QString value = QString::fromUtf8("サイト管理ｷｰ表");
    QString text = QStringLiteral("[D]\r\n");
    int last = 0;
    while (text.size() < 800'000) { // over a piece (1 MiB) of the file in each encoding
        ++last;
        text += QStringLiteral("K%1=").arg(last) + value.left(last % value.size()) + QStringLiteral("\r\n");
    }
    const std::pair<const char *, QStringEncoder::Encoding> encodings[] = {
        {"\xEF\xBB\xBF", QStringEncoder::Utf8}, {"\xFF\xFE", QStringEncoder::Utf16LE}, {"\xFE\xFF", QStringEncoder::Utf16BE}};
    for (const auto &[mark, encoding] : encodings) {
        const QByteArray file = mark + QByteArray(QStringEncoder(encoding).encode(text));
        const IniDocument doc = IniDocument::parse(file);
        const QByteArray key = "K" + QByteArray::number(last);
        EXPECT_EQ(doc.value("D", key), CodePage::fromKnownText(value.left(last % value.size()))) << mark;
        EXPECT_TRUE(doc.serialize() == file) << mark;
    }
}

} // namespace
