#include "SiteEntry.h"

#include "CodePage.h"
#include "SiteRecord.h"

#include <array>

namespace {

// Each field with the label its messages name it by (the label on the registration page).
struct FieldBinding
{
    QString SiteFields::*text;
    QByteArray SiteRecord::*bytes;
    const char *label;
};

const std::array<FieldBinding, 6> kBindings{{
    {&SiteFields::name, &SiteRecord::m_name, "サイト / リンク 名"},
    {&SiteFields::url, &SiteRecord::m_url, "URL"},
    {&SiteFields::keyword1, &SiteRecord::m_keyword1, "キーワード"},
    {&SiteFields::keyword2, &SiteRecord::m_keyword2, "キーワード"},
    {&SiteFields::keyword3, &SiteRecord::m_keyword3, "キーワード"},
    {&SiteFields::content, &SiteRecord::m_content, "内容"},
}};

QString labelled(const char *label, const char *pattern)
{
    return QString::fromUtf8(pattern).arg(QString::fromUtf8(label));
}

} // namespace

QString CheckRequiredFields(const SiteFields &fields)
{
    if (fields.name.isEmpty())
        return labelled(kBindings[0].label, "『%1』を入力してください。");
    if (fields.url.isEmpty())
        return labelled(kBindings[1].label, "『%1』を入力してください。");
    return {};
}

QString EncodeSiteFields(const SiteFields &fields, SiteRecord &record)
{
    std::array<QByteArray, 6> encoded;
    for (std::size_t i = 0; i < kBindings.size(); ++i) {
        const QString &text = fields.*kBindings[i].text;
        if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
            return labelled(kBindings[i].label, "『%1』に改行は入力できません。");
        // A NUL (it comes with pasted text) is no line break; the register cannot hold it either,
        // since a stored value ends there.
        if (text.contains(QChar(0)) || !CodePage::fromText(text, encoded[i]))
            return labelled(kBindings[i].label, "『%1』に保存できない文字が含まれています。");
    }
    for (std::size_t i = 0; i < kBindings.size(); ++i)
        record.*kBindings[i].bytes = encoded[i];
    return {};
}

SiteFields DecodeSiteFields(const SiteRecord &record)
{
    SiteFields fields;
    for (const FieldBinding &binding : kBindings)
        fields.*binding.text = CodePage::toText(record.*binding.bytes);
    return fields;
}
