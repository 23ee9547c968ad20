#include "LinkHealth.h"

#include "LinkCheckText.h"

LinkHealthMark LinkHealthMarkOf(const CheckedLink *checked, const QTimeZone &zone)
{
    if (!checked)
        return {LinkVerdict::Unchecked, LinkCheckText::tr("リンクはまだ確認していません")};
    const LinkResult &result = checked->result;
    QString tip = LinkStatusLabel(result.status);
    if (result.code)
        tip += LinkCheckText::tr("（%1）").arg(result.code);
    if (result.status == LinkStatus::Moved && !result.movedTo.isEmpty())
        tip += LinkCheckText::tr("\n移転先: ") + result.movedTo;
    tip += QLatin1Char('\n') + checked->checkedAt.toTimeZone(zone).toString(QStringLiteral("yyyy-MM-dd HH:mm"))
        + LinkCheckText::tr(" に確認");
    return {LinkVerdictOf(result.status), tip};
}
