// Text typed on Linux against the Windows profile functions, over windows_characters.tsv: we store
// what Windows would store for the same characters, and read what Windows stored as Windows does.
#include "CaseFile.h"
#include "CodePage.h"
#include "InteropSupport.h"
#include "ProfileOracle.h"
#include "TempRegister.h"

#include <QFile>

namespace {

// "U+0031 U+301C" as text.
QString CodePoints(const QByteArray &field)
{
    QList<uint> points;
    for (const QByteArray &point : field.split(' '))
        points.append(point.mid(2).toUInt(nullptr, 16));
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(points.constData()), points.size());
}

// Framed: the profile writer strips 0x1A at a value's ends as it strips blanks.
SiteRecord Framed(const QByteArray &content)
{
    SiteRecord record;
    record.m_content = "<" + content + ">";
    return record;
}

using CharacterInterop = OracleTest;

TEST_F(CharacterInterop, typedCharactersReachWindowsAsItsOwnBytesAndBack)
{
    std::vector<SiteRecord> typed, stored;
    std::vector<QString> readBack;
    std::vector<std::string> labels;
    for (const CaseRow &row : ReadCaseRows(QStringLiteral(SITEKANRI_CHARACTER_TABLE))) {
        const QList<QByteArray> &f = row.fields; // typed, stored (hex), read back, what it is
        ASSERT_EQ(f.size(), 4) << "line " << row.line;
        QByteArray bytes;
        EXPECT_TRUE(CodePage::fromTypedText(CodePoints(f[0]), bytes)) << "line " << row.line;
        typed.push_back(Framed(bytes));
        stored.push_back(Framed(QByteArray::fromHex(f[1])));
        readBack.push_back(QLatin1Char('<') + CodePoints(f[2]) + QLatin1Char('>'));
        labels.push_back(f[3].toStdString());
    }
    ASSERT_TRUE(QDir().mkpath(dir(QStringLiteral("ours"))) && QDir().mkpath(dir(QStringLiteral("theirs"))));
    WriteRegister(dir(QStringLiteral("ours")), typed);
    ASSERT_EQ(ProfileOracle::save(dir(QStringLiteral("theirs")), stored).toStdString(), "");
    ExpectSameRecords(ProfileOracle::load(dir(QStringLiteral("ours"))).records, stored, labels, "Windows reads ours");
    const std::vector<SiteRecord> ours = LoadWithSiteStore(dir(QStringLiteral("theirs")));
    ASSERT_EQ(ours.size(), readBack.size());
    for (std::size_t i = 0; i < ours.size(); ++i)
        EXPECT_EQ(CodePage::toText(ours[i].m_content), readBack[i]) << labels[i];
}

} // namespace
