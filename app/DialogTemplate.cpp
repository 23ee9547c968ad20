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
            {Id::SiteList, K::ListView, "", QRect(7, 62, 317, 170), TabStop, 0},
            {Id::Banner, K::Picture, "", QRect(7, 7, 314, 53), NoTabStop, Img::BannerBitmap},
            {Id::SiteJump, K::PushButton, "サイトジャンプ", QRect(264, 234, 60, 13), TabStop, 0},
            {Id::PageTab, K::TabControl, "", QRect(7, 237, 317, 166), NoTabStop, 0},
        }};
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
        }};
    return dialog;
}

const DialogTemplate &linkPage()
{
    static const DialogTemplate dialog{
        134, "", QSize(315, 148),
        {
            {Id::ModeName, K::RadioButton, "サイト名", QRect(247, 46, 45, 10), NoTabStop, 0},
            {Id::ModeContent, K::RadioButton, "内容", QRect(247, 60, 36, 10), NoTabStop, 0},
            {Id::KeywordCombo, K::DropDownList, "", QRect(239, 17, 69, 150), TabStop, 0},
            {0, K::GroupBox, "生成する項目", QRect(240, 36, 68, 51), NoTabStop, 0},
            {0, K::Label, "統一キーワードから", QRect(243, 7, 59, 8), NoTabStop, 0},
            {0, K::Label, "出力コード（HTML）", QRect(7, 7, 57, 8), NoTabStop, 0},
            {Id::ExcludeDeadLinks, K::CheckBox, "リンク切れを除く", QRect(241, 89, 67, 10), TabStop, 0},
            {Id::CopyCode, K::PushButton, "内容コピー", QRect(240, 101, 68, 13), TabStop, 0},
            {Id::LinkCode, K::OutputBox, "", QRect(7, 17, 228, 123), TabStop, 0},
            {Id::GenerateCode, K::PushButton, "コード生成", QRect(240, 114, 68, 13), TabStop, 0},
            {Id::SaveCode, K::PushButton, "ファイルに保存…", QRect(240, 127, 68, 13), TabStop, 0},
            {Id::ModeNameAndContent, K::RadioButton, "サイト名＆内容", QRect(246, 74, 57, 10), NoTabStop, 0},
        }};
    return dialog;
}

} // namespace DialogTemplates
