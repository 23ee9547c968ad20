// The editing layer's words for people come through its door, EditingText::tr().
#include "MarkingTranslator.h"
#include "RegisterFiles.h"
#include "RegistrationOperations.h"
#include "SiteEntry.h"
#include "SiteLink.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(EditingText, messagesAreTranslatedAsWholesWithTheirValuesFilledIn)
{
    const MarkingTranslator translator("EditingText");
    const struct { const char *what; std::function<QString()> message; const char *expected; } cases[] = {
        {"a refused field, its label translated too", [] { return CheckRequiredFields({}).message; },
         "[『[サイト / リンク 名]』を入力してください。]"},
        {"a refused link", [] { return SiteLink::parse(QStringLiteral("sitekanri:remove")).refusal; },
         "[リンクの操作「remove」は分かりません（使えるのは add だけです）。]"},
        {"a save that failed",
         [] { return OperationMessage({OperationStatus::Failed, 1, IoResult::failure(QStringLiteral("data1.ini"), QStringLiteral("why"))}, {}); },
         "[データを保存できませんでした。\ndata1.ini\nwhy]"},
        {"a damaged count", [] { return OperationMessage({OperationStatus::Damaged, 0, {}}, QStringLiteral("setting.ini")); },
         "[登録件数のファイルが壊れているため、変更できません。\nsetting.ini\n"
         "「sitekanri-cli repair」で件数を直してから、もう一度お試しください。]"},
        {"sites left as another program had them", [] { return NamedSitesMessage(LeftAsElsewhere(), {QStringLiteral("A")}); },
         "[次のサイトは他のプログラムで変更または削除されていたため、そのままにしました：][\n「A」]"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.message(), QString::fromUtf8(c.expected)) << c.what;
}

} // namespace
