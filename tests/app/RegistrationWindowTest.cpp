// Registering, updating and deleting through the real window: typed fields, button clicks and
// answers queued in the message-box hook.
#include "AppTestSupport.h"
#include "CaseName.h"
#include "DialogTemplate.h"
#include "SiteEntry.h"

#include <QLineEdit>

namespace {

using RegistrationWindowTest = WindowTest<MainDialog>;
using Answer = MessageBoxes::Answer;

const int kFieldIds[] = {ControlId::SiteName, ControlId::SiteUrl,  ControlId::Keyword1,
                         ControlId::Keyword2, ControlId::Keyword3, ControlId::Content};

std::vector<SiteRecord> ThreeSites()
{
    return {MakeRecord("ちくわ通信", "http://chikuwa.example.jp/", "食べ物", "", "", "練り物の話"),
            MakeRecord("Abc 日記", "http://abc.example.jp/", "日記", "", "趣味", ""),
            MakeRecord("わたしのリンク", "https://link.example.jp/", "", "", "", "内容だけ")};
}

// Types `texts` into the six registration fields as a user would, over whatever they held.
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
    return {dialog.m_store.m_sites.begin(), dialog.m_store.m_sites.end()};
}

TEST_F(RegistrationWindowTest, typedSiteBecomesTheCurrentLastRowInMemoryOnly)
{
    start(ThreeSites());
    TypeFields(*dialog, {"新しいサイト", "http://new.example.jp/", "ニュース", "", "ﾃｽﾄ", "説明 & <b>"});
    click(ControlId::RegisterNew);
    const SiteRecord added = MakeRecord("新しいサイト", "http://new.example.jp/", "ニュース", "", "ﾃｽﾄ", "説明 & <b>");
    std::vector<SiteRecord> expected = ThreeSites();
    expected.push_back(added);
    EXPECT_EQ(Sites(*dialog), expected);
    ASSERT_EQ(rowCount(), 4);
    EXPECT_EQ(cell(3, 0), QString::fromUtf8("新しいサイト"));
    EXPECT_EQ(cell(3, 5), QString::fromUtf8("説明 & <b>"));
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 3);
    EXPECT_TRUE(boxes.shown.empty());
    // The fields keep what was typed, and the register reaches the disk only on close.
    EXPECT_EQ(dialog->ItemText(ControlId::SiteName), QString::fromUtf8("新しいサイト"));
    EXPECT_EQ(LoadRegister().size(), 3u);

    // The same site again is a second record.
    click(ControlId::RegisterNew);
    ASSERT_EQ(rowCount(), 5);
    EXPECT_EQ(dialog->m_store.m_sites.at(4), added);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 4);
}

struct RefusalCase
{
    const char *name;
    std::vector<const char *> typed;
    const char *message;
};
void PrintTo(const RefusalCase &c, std::ostream *out) { *out << c.name; }

class RegisterRefusal : public RegistrationWindowTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RegisterRefusal, showsOneMessageAndAddsNothing)
{
    start(ThreeSites());
    dialog->SelectSiteRow(1);
    TypeFields(*dialog, GetParam().typed);
    click(ControlId::RegisterNew);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, QString::fromUtf8("サイト管理[ヴァントレル]"));
    EXPECT_EQ(boxes.shown[0].text, QString::fromUtf8(GetParam().message));
    EXPECT_FALSE(boxes.shown[0].question);
    EXPECT_EQ(Sites(*dialog), ThreeSites());
    EXPECT_EQ(rowCount(), 3);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, RegisterRefusal,
    ::testing::Values(
        RefusalCase{"nothing_typed", {"", ""}, "『サイト / リンク 名』を入力してください。"},
        RefusalCase{"url_without_name", {"", "http://x.example.jp/"}, "『サイト / リンク 名』を入力してください。"},
        RefusalCase{"name_without_url", {"名前", ""}, "『URL』を入力してください。"},
        RefusalCase{"emoji_in_name", {"顔😀", "http://x.example.jp/"},
                    "『サイト / リンク 名』に保存できない文字が含まれています。"},
        RefusalCase{"emoji_in_content", {"名前", "http://x.example.jp/", "", "", "", "晴れ☀️"},
                    "『内容』に保存できない文字が含まれています。"}),
    CaseName());

struct ConfirmCase
{
    const char *name;
    int button;
    Answer answer;
    const char *question;
    std::vector<SiteRecord> after;
    int currentAfter;
};
void PrintTo(const ConfirmCase &c, std::ostream *out) { *out << c.name; }

class ConfirmedChange : public RegistrationWindowTest, public ::testing::WithParamInterface<ConfirmCase> {};

// Row 1 is clicked (its texts fill the fields), the name is retyped, then the button is pressed.
TEST_P(ConfirmedChange, asksAboutTheStoredNameAndActsOnlyOnYes)
{
    start(ThreeSites());
    clickRow(1);
    auto *name = dialog->control<QLineEdit>(ControlId::SiteName);
    name->clear();
    TypeText(name, QString::fromUtf8("改名した日記"));
    boxes.answers.push_back(GetParam().answer);
    click(GetParam().button);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].question);
    EXPECT_EQ(boxes.shown[0].title, QString::fromUtf8("サイト管理[ヴァントレル]"));
    EXPECT_EQ(boxes.shown[0].text, QString::fromUtf8(GetParam().question));
    EXPECT_EQ(Sites(*dialog), GetParam().after);
    ASSERT_EQ(rowCount(), int(GetParam().after.size()));
    for (int row = 0; row < rowCount(); ++row)
        EXPECT_EQ(cell(row, 0), DecodeSiteFields(GetParam().after[std::size_t(row)]).name);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), GetParam().currentAfter);
    EXPECT_EQ(dialog->ItemText(ControlId::SiteName), QString::fromUtf8("改名した日記"));
}

const std::vector<SiteRecord> kUpdated{ThreeSites()[0],
                                       MakeRecord("改名した日記", "http://abc.example.jp/", "日記", "", "趣味", ""),
                                       ThreeSites()[2]};
const std::vector<SiteRecord> kDeleted{ThreeSites()[0], ThreeSites()[2]};

INSTANTIATE_TEST_SUITE_P(
    Answers, ConfirmedChange,
    ::testing::Values(ConfirmCase{"update_yes", ControlId::Update, Answer::Yes,
                                  "Abc 日記を変更しても宜しいですか？", kUpdated, 2},
                      ConfirmCase{"update_no", ControlId::Update, Answer::No,
                                  "Abc 日記を変更しても宜しいですか？", ThreeSites(), 1},
                      ConfirmCase{"delete_yes", ControlId::Delete, Answer::Yes,
                                  "Abc 日記を削除しても宜しいですか？", kDeleted, 1},
                      ConfirmCase{"delete_no", ControlId::Delete, Answer::No,
                                  "Abc 日記を削除しても宜しいですか？", ThreeSites(), 1}),
    CaseName());

TEST_F(RegistrationWindowTest, updateAndDeleteOnAnEmptyListDoNothingAndAskNothing)
{
    start({});
    TypeFields(*dialog, {"名前", "http://x.example.jp/"});
    click(ControlId::Update);
    click(ControlId::Delete);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(dialog->m_store.m_sites.empty());
    EXPECT_EQ(rowCount(), 0);
}

TEST_F(RegistrationWindowTest, deletingTheOnlySiteEmptiesTheListAndTheClosedRegister)
{
    start({ThreeSites()[0]});
    boxes.answers.push_back(Answer::Yes);
    click(ControlId::Delete);
    EXPECT_EQ(rowCount(), 0);
    EXPECT_EQ(dialog->GetSelectedSiteRow(), -1);
    dialog->close();
    EXPECT_EQ(LoadRegister().size(), 0u);
}

} // namespace
