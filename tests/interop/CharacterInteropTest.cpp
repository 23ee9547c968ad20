// Text typed on Linux against the Windows profile functions: what we store is what Windows would
// have stored for the same characters, and what Windows stored reads here as Windows shows it.
#include "CharacterTable.h"
#include "CodePage.h"
#include "InteropSupport.h"
#include "ProfileOracle.h"

namespace {

using CharacterInterop = OracleTest;

// The profile writer strips 0x1A at a value's ends as it strips blanks (an old end-of-file mark),
// so each character is framed by two letters.
QByteArray Framed(const QByteArray &bytes) { return "<" + bytes + ">"; }
QString Framed(const QString &text) { return QLatin1Char('<') + text + QLatin1Char('>'); }

// One record per character, framed, in its content.
std::vector<SiteRecord> Records(const std::vector<QByteArray> &contents)
{
    std::vector<SiteRecord> records;
    for (const QByteArray &content : contents) {
        SiteRecord record;
        record.m_name = "n";
        record.m_url = "u";
        record.m_content = Framed(content);
        records.push_back(record);
    }
    return records;
}

TEST_F(CharacterInterop, typedCharactersReachWindowsAsItsOwnBytesAndBack)
{
    const std::vector<CharacterCase> table = WindowsCharacters();
    std::vector<QByteArray> typed, stored;
    for (const CharacterCase &c : table) {
        QByteArray bytes;
        EXPECT_TRUE(CodePage::fromTypedText(c.typed, bytes)) << c.what;
        typed.push_back(bytes);
        stored.push_back(c.stored);
    }
    ASSERT_TRUE(QDir().mkpath(dir(QStringLiteral("ours"))) && QDir().mkpath(dir(QStringLiteral("theirs"))));
    SaveWithSiteStore(dir(QStringLiteral("ours")), Records(typed));
    ASSERT_EQ(ProfileOracle::save(dir(QStringLiteral("theirs")), Records(stored)).toStdString(), "");
    const std::vector<ProfileOracle::Load> windows =
        ProfileOracle::load(QStringList{dir(QStringLiteral("ours")), dir(QStringLiteral("theirs"))});
    ASSERT_TRUE(windows[0].ok) << windows[0].error.toStdString();
    ASSERT_EQ(windows[0].records.size(), table.size());
    const std::vector<SiteRecord> ours = LoadWithSiteStore(dir(QStringLiteral("theirs")));
    ASSERT_EQ(ours.size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(table[i].what);
        EXPECT_EQ(Shown(windows[0].records[i].m_content), Shown(Framed(table[i].stored)));
        EXPECT_EQ(CodePage::toText(ours[i].m_content), Framed(table[i].readBack));
    }
}

} // namespace
