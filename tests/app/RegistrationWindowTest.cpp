// Registering, updating and deleting through the real window: typed fields, button clicks and
// answers queued in the message-box hook. The rules themselves are proved in the editing tests.
#include "AppTestSupport.h"
#include "DialogTemplate.h"

#include <QLineEdit>

namespace {

using RegistrationWindowTest = WindowTest<MainDialog>;
using Answer = MessageBoxes::Answer;

// Types `texts` into the registration fields as a user would, over whatever they held.
void TypeFields(MainDialog &dialog, const std::vector<const char *> &texts)
{
    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto *field = dialog.control<QLineEdit>(kFieldIds[i]);
        field->clear();
        TypeText(field, QString::fromUtf8(texts[i]));
        ASSERT_EQ(field->text(), QString::fromUtf8(texts[i])) << "typing into " << kFieldIds[i];
    }
}

std::vector<SiteRecord> Sites(const MainDialog &dialog)
{
    return {dialog.sites().begin(), dialog.sites().end()};
}

TEST_F(RegistrationWindowTest, typedSiteIsSavedAtOnceAndBecomesTheCurrentLastRow)
{
    start(ThreeSites());
    TypeFields(*dialog, {"新しいサイト", "new.example.jp/", "ニュース", "", "ﾃｽﾄ", "説明 & <b>"});
    click(ControlId::RegisterNew);
    EXPECT_EQ(dialog->ItemText(ControlId::SiteUrl), QStringLiteral("http://new.example.jp/"));
    std::vector<SiteRecord> expected = ThreeSites();
    expected.push_back(MakeRecord("新しいサイト", "http://new.example.jp/", "ニュース", "", "ﾃｽﾄ", "説明 & <b>"));
    EXPECT_EQ(Sites(*dialog), expected);
    ASSERT_EQ(rowCount(), 4);
    EXPECT_EQ(rowTexts(3), FieldTexts(expected[3]));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 3);
    EXPECT_TRUE(boxes.shown.empty());
    // The fields keep what was typed, and the register on disk has the site already.
    EXPECT_EQ(dialog->ItemText(ControlId::SiteName), QString::fromUtf8("新しいサイト"));
    EXPECT_EQ(LoadRegister(), dialog->sites());
}

// Picked by the keyboard, the highlighted site is the one changed, and no other.
TEST_F(RegistrationWindowTest, updateAfterArrowKeysChangesTheHighlightedSiteOnly)
{
    std::vector<SiteRecord> sites = ThreeSites();
    sites.push_back(MakeRecord("四番", "http://four.example.jp/"));
    start(sites);
    clickRow(2);
    QTest::keyClick(view(), Qt::Key_Up);
    QTest::keyClick(view(), Qt::Key_Up);
    TypeFields(*dialog, {"ちくわ通信 改"});
    boxes.answers.push_back(Answer::Yes);
    click(ControlId::Update);
    EXPECT_EQ(boxes.shown, std::vector{Question("ちくわ通信を変更しても宜しいですか？")});
    sites[0] = MakeRecord("ちくわ通信 改", "http://chikuwa.example.jp/", "食べ物", "ﾚｼﾋﾟ", "", "練り物の話");
    const SiteList onDisk = LoadRegister();
    EXPECT_EQ(std::vector<SiteRecord>(onDisk.begin(), onDisk.end()), sites);
}

// A field holds a value of any length: a long content survives a click on its row and 更新.
TEST_F(RegistrationWindowTest, aLongContentSurvivesClickAndUpdate)
{
    SiteRecord longOne = MakeRecord("長い", "http://long.example.jp/");
    longOne.m_content = QByteArray("0123456789").repeated(4000) + "end";
    start({longOne});
    clickRow(0);
    boxes.answers.push_back(Answer::Yes);
    click(ControlId::Update);
    EXPECT_EQ(Sites(*dialog), std::vector{longOne});
}

} // namespace
