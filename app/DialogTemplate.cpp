#include "DialogTemplate.h"

namespace {

using K = ControlKind;
namespace Id = ControlId;
namespace Img = ResourceId;
constexpr bool TabStop = true;
constexpr bool NoTabStop = false;

} // namespace

namespace DialogTemplates {

const DialogTemplate &mainDialog()
{
    static const DialogTemplate dialog{
        102, "サイト管理[ヴァントレル]", QSize(331, 410),
        {
            {Id::SiteList, K::ListView, "", QRect(7, 77, 317, 155), TabStop, 0},
            {Id::Banner, K::Picture, "", QRect(7, 7, 314, 53), NoTabStop, Img::BannerBitmap},
            {Id::SiteJump, K::PushButton, "サイトジャンプ", QRect(264, 234, 60, 13), TabStop, 0},
            {Id::PageTab, K::TabControl, "", QRect(7, 237, 317, 166), NoTabStop, 0},
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
            {Id::SiteName, K::Edit, "", QRect(66, 20, 152, 14), TabStop, 0},
            {0, K::Label, "サイト / リンク 名", QRect(7, 21, 52, 8), NoTabStop, 0},
            {Id::SiteUrl, K::Edit, "", QRect(67, 46, 151, 14), TabStop, 0},
            {Id::Keyword1, K::Edit, "", QRect(66, 71, 45, 14), TabStop, 0},
            {Id::Keyword2, K::Edit, "", QRect(121, 72, 45, 14), TabStop, 0},
            {Id::Keyword3, K::Edit, "", QRect(174, 73, 45, 14), TabStop, 0},
            {Id::Content, K::Edit, "", QRect(67, 93, 151, 14), TabStop, 0},
            {0, K::Label, "URL", QRect(7, 47, 36, 8), NoTabStop, 0},
            {0, K::Label, "キーワード", QRect(7, 75, 36, 8), NoTabStop, 0},
            {0, K::Label, "内容", QRect(7, 97, 36, 8), NoTabStop, 0},
            {Id::RegisterNew, K::IconButton, "新しく登録", QRect(249, 19, 54, 22), TabStop, Img::RegisterIcon},
            {Id::Delete, K::IconButton, "削除", QRect(251, 87, 52, 22), TabStop, Img::DeleteIcon},
            {Id::Update, K::IconButton, "更新", QRect(249, 51, 54, 22), TabStop, Img::UpdateIcon},
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
         Id::Update, Id::Delete}};
    return dialog;
}

const DialogTemplate &linkPage()
{
    static const DialogTemplate dialog{
        134, "", QSize(315, 148),
        {
            {Id::ModeName, K::RadioButton, "サイト名", QRect(247, 46, 45, 10), TabStop, 0},
            {Id::ModeContent, K::RadioButton, "内容", QRect(247, 60, 36, 10), TabStop, 0},
            {Id::KeywordCombo, K::DropDownList, "", QRect(239, 17, 69, 150), TabStop, 0},
            {0, K::GroupBox, "生成する項目", QRect(240, 36, 68, 51), NoTabStop, 0},
            {0, K::Label, "統一キーワードから", QRect(243, 7, 59, 8), NoTabStop, 0},
            {0, K::Label, "出力コード（HTML）", QRect(7, 7, 57, 8), NoTabStop, 0},
            {Id::ExcludeDeadLinks, K::CheckBox, "リンク切れを除く", QRect(241, 89, 67, 10), TabStop, 0},
            {Id::CopyCode, K::PushButton, "内容コピー", QRect(240, 101, 68, 13), TabStop, 0},
            {Id::LinkCode, K::OutputBox, "", QRect(7, 17, 228, 123), TabStop, 0},
            {Id::GenerateCode, K::PushButton, "コード生成", QRect(240, 114, 68, 13), TabStop, 0},
            {Id::SaveCode, K::PushButton, "ファイルに保存…", QRect(240, 127, 68, 13), TabStop, 0},
            {Id::ModeNameAndContent, K::RadioButton, "サイト名＆内容", QRect(246, 74, 57, 10), TabStop, 0},
        },
        {
            {Id::LinkCode, "出力コード（HTML）", "出力コード（HTML）"},
            {Id::KeywordCombo, "統一キーワードから", "統一キーワードから"},
        },
        // The output box on the left, then the column on the right from top to bottom.
        {Id::LinkCode, Id::KeywordCombo, Id::ModeName, Id::ModeContent, Id::ModeNameAndContent,
         Id::ExcludeDeadLinks, Id::CopyCode, Id::GenerateCode, Id::SaveCode}};
    return dialog;
}

} // namespace DialogTemplates
