// Text typed on Linux against the Windows profile functions, over the table in
// windows_characters.tsv: we store what Windows would store for the same characters, and what
// Windows stored reads here as Windows shows it.
#include "CodePage.h"
#include "InteropSupport.h"
#include "ProfileOracle.h"

#include <QFile>

#include <array>

namespace {

using CharacterInterop = OracleTest;

// "U+0031 U+301C" as text.
QString CodePoints(const QByteArray &field)
{
    QString text;
    for (const QByteArray &point : field.split(' '))
        text += QString::fromUcs4(std::array{char32_t(point.mid(2).toUInt(nullptr, 16))}.data(), 1);
    return text;
}

// One record per character, framed: the profile writer strips 0x1A at a value's ends as it strips
// blanks (an old end-of-file mark).
std::vector<SiteRecord> Records(const std::vector<QByteArray> &contents)
{
    std::vector<SiteRecord> records(contents.size());
    for (std::size_t i = 0; i < contents.size(); ++i)
        records[i].m_content = "<" + contents[i] + ">";
    return records;
}

TEST_F(CharacterInterop, typedCharactersReachWindowsAsItsOwnBytesAndBack)
{
    QFile file(QStringLiteral(SITEKANRI_CHARACTER_TABLE));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<QList<QByteArray>> table; // typed, stored (hex), read back, what it is
    std::vector<QByteArray> typed, stored;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        table.push_back(line.split('\t'));
        ASSERT_EQ(table.back().size(), 4) << line.toStdString();
        stored.push_back(QByteArray::fromHex(table.back()[1]));
        EXPECT_TRUE(CodePage::fromTypedText(CodePoints(table.back()[0]), typed.emplace_back())) << line.toStdString();
    }
    ASSERT_TRUE(QDir().mkpath(dir(QStringLiteral("ours"))) && QDir().mkpath(dir(QStringLiteral("theirs"))));
    SaveWithSiteStore(dir(QStringLiteral("ours")), Records(typed));
    ASSERT_EQ(ProfileOracle::save(dir(QStringLiteral("theirs")), Records(stored)).toStdString(), "");
    const ProfileOracle::Load windows = ProfileOracle::load(dir(QStringLiteral("ours")));
    ASSERT_EQ(windows.records.size(), table.size()) << windows.error.toStdString();
    const std::vector<SiteRecord> ours = LoadWithSiteStore(dir(QStringLiteral("theirs")));
    ASSERT_EQ(ours.size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(table[i][3].toStdString());
        EXPECT_EQ(Shown(windows.records[i].m_content), Shown(Records({stored[i]})[0].m_content));
        EXPECT_EQ(CodePage::toText(ours[i].m_content), QLatin1Char('<') + CodePoints(table[i][2]) + QLatin1Char('>'));
    }
}

} // namespace
