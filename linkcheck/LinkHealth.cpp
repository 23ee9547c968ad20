#include "LinkHealth.h"

QString LinkStatusLabel(LinkStatus status)
{
    switch (status) {
    case LinkStatus::Ok: return QStringLiteral("正常");
    case LinkStatus::Moved: return QStringLiteral("移転");
    case LinkStatus::Gone: return QStringLiteral("リンク切れ");
    case LinkStatus::ServerError: return QStringLiteral("サーバーエラー");
    case LinkStatus::NoHost: return QStringLiteral("ホストなし");
    case LinkStatus::Refused: return QStringLiteral("接続拒否");
    case LinkStatus::TlsError: return QStringLiteral("TLSエラー");
    case LinkStatus::Timeout: return QStringLiteral("タイムアウト");
    case LinkStatus::Invalid: return QStringLiteral("確認対象外");
    }
    return QString();
}

LinkHealth LinkHealthOf(LinkStatus status)
{
    switch (status) {
    case LinkStatus::Ok: return LinkHealth::Ok;
    case LinkStatus::Moved: return LinkHealth::Moved;
    case LinkStatus::Gone:
    case LinkStatus::NoHost: return LinkHealth::Dead;
    case LinkStatus::ServerError:
    case LinkStatus::Refused:
    case LinkStatus::TlsError:
    case LinkStatus::Timeout: return LinkHealth::Doubtful;
    case LinkStatus::Invalid: return LinkHealth::Unchecked;
    }
    return LinkHealth::Unchecked;
}

LinkHealthMark LinkHealthMarkOf(const CheckedLink *checked, const QTimeZone &zone)
{
    if (!checked)
        return {LinkHealth::Unchecked, QStringLiteral("リンクはまだ確認していません")};
    const LinkResult &result = checked->result;
    QString tip = LinkStatusLabel(result.status);
    if (result.code)
        tip += QStringLiteral("（%1）").arg(result.code);
    if (result.status == LinkStatus::Moved && !result.movedTo.isEmpty())
        tip += QStringLiteral("\n移転先: ") + result.movedTo;
    tip += QLatin1Char('\n') + checked->checkedAt.toTimeZone(zone).toString(QStringLiteral("yyyy-MM-dd HH:mm"))
        + QStringLiteral(" に確認");
    return {LinkHealthOf(result.status), tip};
}
