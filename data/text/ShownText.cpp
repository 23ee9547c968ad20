#include "ShownText.h"

#include "CodePage.h"
#include "HtmlText.h"

namespace {

bool isHtml(SiteText text)
{
    return text == kNameText || text == kContentText;
}

} // namespace

QString ShownText(const SiteRecord &record, SiteText text)
{
    const QByteArray &bytes = record.*text;
    if (text == kUrlText)
        return CodePage::urlToDisplayText(bytes);
    if (isHtml(text))
        return HtmlText::shownText(CodePage::toText(bytes));
    return CodePage::toTypedText(bytes);
}

bool ShownAsStored(const SiteRecord &record, SiteText text)
{
    const QByteArray &bytes = record.*text;
    if (text == kUrlText)
        return !bytes.contains('%') && !bytes.contains("xn--") && !bytes.contains("XN--");
    return !bytes.contains('&') && !(isHtml(text) && bytes.contains('<'));
}
