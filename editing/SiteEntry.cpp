#include "SiteEntry.h"

#include "CodePage.h"
#include "EditingText.h"
#include "SiteRecord.h"
#include "SiteTexts.h"
#include "UrlCompletion.h"

#include <array>

namespace {

// Each field with the label its messages name it by (the label on the registration page).
struct FieldBinding
{
    QString SiteFields::*text;
    QByteArray SiteRecord::*bytes;
    const char *label;
    SiteFieldId id;
};

const std::array<FieldBinding, 6> kBindings{{
    {&SiteFields::name, kNameText, QT_TRANSLATE_NOOP("EditingText", "サイト / リンク 名"), SiteFieldId::Name},
    {&SiteFields::url, kUrlText, QT_TRANSLATE_NOOP("EditingText", "URL"), SiteFieldId::Url},
    {&SiteFields::keyword1, kKeyword1Text, QT_TRANSLATE_NOOP("EditingText", "キーワード"), SiteFieldId::Keyword1},
    {&SiteFields::keyword2, kKeyword2Text, QT_TRANSLATE_NOOP("EditingText", "キーワード"), SiteFieldId::Keyword2},
    {&SiteFields::keyword3, kKeyword3Text, QT_TRANSLATE_NOOP("EditingText", "キーワード"), SiteFieldId::Keyword3},
    {&SiteFields::content, kContentText, QT_TRANSLATE_NOOP("EditingText", "内容"), SiteFieldId::Content},
}};

FieldRefusal refusal(const FieldBinding &binding, const QString &format, const QString &detail = {})
{
    const QString label = EditingText::tr(binding.label);
    return {detail.isEmpty() ? format.arg(label) : format.arg(label, detail), binding.id};
}

// "😀（U+1F600）"; a character with no face of its own (a control character) by its number alone.
QString describe(char32_t c)
{
    const QString number = QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    if (!QChar::isPrint(c) || QChar::isSurrogate(c))
        return number;
    return QString::fromUcs4(&c, 1) + EditingText::tr("（") + number + EditingText::tr("）");
}

} // namespace

FieldRefusal CheckRequiredFields(const SiteFields &fields)
{
    for (const FieldBinding &binding : {kBindings[0], kBindings[1]}) {
        if ((fields.*binding.text).trimmed().isEmpty())
            return refusal(binding, EditingText::tr("『%1』を入力してください。"));
    }
    return {};
}

bool CompleteSiteUrl(SiteFields &fields)
{
    if (fields.url.trimmed().isEmpty() || HasExplicitScheme(fields.url))
        return false;
    const QUrl completed = CompleteUrl(fields.url);
    if (!completed.isValid() || completed.scheme().isEmpty())
        return false;
    const QString text = completed.toString();
    if (text == fields.url)
        return false;
    fields.url = text;
    return true;
}

FieldRefusal EncodeSiteFields(const SiteFields &fields, SiteRecord &record)
{
    std::array<QByteArray, 6> encoded;
    for (std::size_t i = 0; i < kBindings.size(); ++i) {
        const QString &text = fields.*kBindings[i].text;
        if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
            return refusal(kBindings[i], EditingText::tr("『%1』に改行は入力できません。"));
        // A NUL (it comes with pasted text) is no line break; the register cannot hold it either,
        // since a stored value ends there.
        if (text.contains(QChar(0)))
            return refusal(kBindings[i], EditingText::tr("『%1』に保存できない文字が含まれています：%2"), describe(0));
        if (!CodePage::fromTypedText(text, encoded[i]))
            return refusal(kBindings[i], EditingText::tr("『%1』に保存できない文字が含まれています：%2"),
                           describe(CodePage::unstorableCharacter(text)));
        // A URL is kept in the form every program reads alike (punycode host, percent-encoded);
        // a web address without a host leads nowhere.
        if (kBindings[i].id == SiteFieldId::Url) {
            if (LacksHost(text))
                return refusal(kBindings[i], EditingText::tr("『%1』にホスト名がありません。"));
            encoded[i] = CodePage::urlFromText(text);
        }
    }
    for (std::size_t i = 0; i < kBindings.size(); ++i)
        record.*kBindings[i].bytes = encoded[i];
    return {};
}

FieldRefusal EncodeKeyword(const QString &keyword, QByteArray &bytes)
{
    SiteFields fields;
    fields.keyword1 = keyword;
    SiteRecord record;
    FieldRefusal refused = EncodeSiteFields(fields, record);
    bytes = record.GetKeyword1();
    return refused;
}

SiteFields DecodeSiteFields(const SiteRecord &record)
{
    SiteFields fields;
    for (const FieldBinding &binding : kBindings)
        fields.*binding.text = CodePage::toTypedText(record.*binding.bytes);
    return fields;
}

QString OutsideFieldText(const QString &text)
{
    return CodePage::toTypedText(CodePage::fromOutsideText(text));
}
