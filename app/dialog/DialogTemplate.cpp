#include "DialogTemplate.h"

namespace {

using K = ControlKind;
namespace Id = ControlId;
namespace Img = ResourceId;
constexpr bool TabStop = true;
constexpr bool NoTabStop = false;
// How the controls follow a grown window.
constexpr EdgeShares GrowBoth = kGrowBoth;
constexpr EdgeShares GrowWide{0, 0, 1000, 0};
constexpr EdgeShares FollowRight = kFollowRight;
constexpr EdgeShares BelowGrowWide{0, 1000, 1000, 1000};
constexpr EdgeShares FollowCorner{1000, 1000, 1000, 1000};
// The three keyword boxes side by side share a growing row by thirds.
constexpr EdgeShares FirstThird{0, 0, 333, 0};
constexpr EdgeShares SecondThird{333, 0, 667, 0};
constexpr EdgeShares LastThird{667, 0, 1000, 0};

} // namespace

namespace DialogTemplates {

const DialogTemplate &mainDialog()
{
    static const DialogTemplate dialog{
        102, "サイト管理[ヴァントレル]", QSize(331, 410),
        {
            // The list takes whatever room the window has beyond the template.
            {Id::SiteList, K::ListView, "", QRect(7, 62, 317, 170), TabStop, 0, GrowBoth},
            {Id::Banner, K::Picture, "", QRect(7, 7, 314, 53), NoTabStop, Img::BannerBitmap},
            {Id::SiteJump, K::PushButton, "サイトジャンプ", QRect(264, 234, 60, 13), TabStop, 0, FollowCorner},
            {Id::PageTab, K::TabControl, "", QRect(7, 237, 317, 166), NoTabStop, 0, BelowGrowWide},
        },
        {
            {Id::SiteList, "サイト一覧", nullptr},
            {Id::Banner, "サイト管理のヘルプを開く", nullptr},
        },
        {}};
    return dialog;
}

const DialogTemplate &registerPage()
{
    static const DialogTemplate dialog{
        133, "", QSize(310, 160),
        {
            // The fields share one left edge and one width, the keyword boxes one row; each label
            // stands on its field's line, as high as the field, so that their texts share a centre.
            {Id::SiteName, K::Edit, "", QRect(66, 20, 152, 14), TabStop, 0, GrowWide},
            {0, K::Label, "サイト / リンク 名", QRect(7, 20, 52, 14), NoTabStop, 0},
            {Id::SiteUrl, K::Edit, "", QRect(66, 46, 152, 14), TabStop, 0, GrowWide},
            {Id::Keyword1, K::Edit, "", QRect(66, 71, 46, 14), TabStop, 0, FirstThird},
            {Id::Keyword2, K::Edit, "", QRect(119, 71, 46, 14), TabStop, 0, SecondThird},
            {Id::Keyword3, K::Edit, "", QRect(172, 71, 46, 14), TabStop, 0, LastThird},
            {Id::Content, K::Edit, "", QRect(66, 93, 152, 14), TabStop, 0, GrowWide},
            {0, K::Label, "URL", QRect(7, 46, 36, 14), NoTabStop, 0},
            {0, K::Label, "キーワード", QRect(7, 71, 36, 14), NoTabStop, 0},
            {0, K::Label, "内容", QRect(7, 93, 36, 14), NoTabStop, 0},
            {Id::RegisterNew, K::IconButton, "新しく登録", QRect(249, 19, 54, 22), TabStop, Img::RegisterIcon,
             FollowRight},
            {Id::Delete, K::IconButton, "削除", QRect(249, 87, 54, 22), TabStop, Img::DeleteIcon, FollowRight},
            {Id::Update, K::IconButton, "更新", QRect(249, 51, 54, 22), TabStop, Img::UpdateIcon, FollowRight},
            // Empties the fields for a site still to be registered.
            {Id::NewSite, K::IconButton, "新規", QRect(249, 121, 54, 22), TabStop, Img::NewIcon, FollowRight},
        },
        {
            {Id::SiteName, "サイト / リンク 名", "サイト / リンク 名"},
            {Id::SiteUrl, "URL", "URL"},
            {Id::Keyword1, "キーワード1", "キーワード"},
            {Id::Keyword2, "キーワード2", nullptr},
            {Id::Keyword3, "キーワード3", nullptr},
            {Id::Content, "内容", "内容"},
        },
        // The buttons from top to bottom, as they stand.
        {Id::SiteName, Id::SiteUrl, Id::Keyword1, Id::Keyword2, Id::Keyword3, Id::Content, Id::RegisterNew,
         Id::Update, Id::Delete, Id::NewSite}};
    return dialog;
}

const DialogTemplate &linkPage()
{
    static const DialogTemplate dialog{
        134, "", QSize(315, 148),
        {
            // The radio buttons stand below the group's title and frame line, not on them.
            {Id::ModeName, K::RadioButton, "サイト名", QRect(246, 50, 45, 10), TabStop, 0, FollowRight},
            {Id::ModeContent, K::RadioButton, "内容", QRect(246, 62, 36, 10), TabStop, 0, FollowRight},
            {Id::KeywordCombo, K::DropDownList, "", QRect(239, 17, 69, 150), TabStop, 0, FollowRight},
            {0, K::GroupBox, "生成する項目", QRect(240, 36, 68, 51), NoTabStop, 0, FollowRight},
            {0, K::Label, "統一キーワードから", QRect(243, 7, 59, 8), NoTabStop, 0, FollowRight},
            {0, K::Label, "出力コード（HTML）", QRect(7, 7, 57, 8), NoTabStop, 0},
            {Id::ExcludeDeadLinks, K::CheckBox, "リンク切れを除く", QRect(241, 89, 67, 10), TabStop, 0, FollowRight},
            {Id::CopyCode, K::PushButton, "内容コピー", QRect(240, 101, 68, 13), TabStop, 0, FollowRight},
            {Id::LinkCode, K::OutputBox, "", QRect(7, 17, 228, 111), TabStop, 0, GrowBoth},
            // Beside the register's order (the default), the list's: its search and its sorting.
            {Id::ListOrder, K::CheckBox, "一覧の表示順（検索・並べ替えのとおり）で書く", QRect(7, 131, 228, 10), TabStop, 0,
             BelowGrowWide},
            {Id::GenerateCode, K::PushButton, "コード生成", QRect(240, 114, 68, 13), TabStop, 0, FollowRight},
            {Id::SaveCode, K::PushButton, "ファイルに保存…", QRect(240, 127, 68, 13), TabStop, 0, FollowRight},
            {Id::ModeNameAndContent, K::RadioButton, "サイト名＆内容", QRect(246, 74, 57, 10), TabStop, 0,
             FollowRight},
            // Above the code, at its right: the collection written into the user's own pages.
            {Id::Publish, K::PushButton, "公開…", QRect(185, 4, 50, 12), TabStop, 0, FollowRight},
            // Between the box's label and 公開: the 新着 mark, the days it lasts and its HTML.
            {Id::NewMarks, K::CheckBox, "新着に印", QRect(68, 5, 40, 10), TabStop, 0},
            {Id::NewDays, K::Edit, "", QRect(109, 4, 16, 12), TabStop, 0},
            {0, K::Label, "日", QRect(127, 6, 8, 8), NoTabStop, 0},
            {Id::NewMarkHtml, K::Edit, "", QRect(136, 4, 46, 12), TabStop, 0},
        },
        {
            {Id::NewDays, "新着とする日数", nullptr},
            {Id::NewMarkHtml, "新着の印（HTML）", nullptr},
            {Id::LinkCode, "出力コード（HTML）", "出力コード（HTML）"},
            {Id::KeywordCombo, "統一キーワードから", "統一キーワードから"},
        },
        // The output box on the left and the choice of order below it, then the column on the right from
        // top to bottom.
        {Id::NewMarks, Id::NewDays, Id::NewMarkHtml, Id::Publish, Id::LinkCode, Id::ListOrder, Id::KeywordCombo, Id::ModeName, Id::ModeContent, Id::ModeNameAndContent,
         Id::ExcludeDeadLinks, Id::CopyCode, Id::GenerateCode, Id::SaveCode}};
    return dialog;
}

} // namespace DialogTemplates
