#include "LinkStatus.h"

#include <iterator>

namespace {

const char *const kNames[] = {"ok", "moved", "gone", "server_error", "no_host", "refused", "tls_error", "timeout",
                              "invalid"};
static_assert(std::size(kNames) == int(LinkStatus::Invalid) + 1, "one name per status");

} // namespace

QString LinkStatusName(LinkStatus status)
{
    return QString::fromLatin1(kNames[int(status)]);
}

bool LinkStatusFromName(QStringView name, LinkStatus &status)
{
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        if (name == QLatin1String(kNames[i])) {
            status = LinkStatus(i);
            return true;
        }
    }
    return false;
}

QString LinkMessage(LinkStatus status, int code, const QString &detail)
{
    const QString http = code ? QStringLiteral("（HTTP %1）").arg(code) : QString();
    const QString suffix = detail.isEmpty() ? QString() : QStringLiteral(": ") + detail;
    switch (status) {
    case LinkStatus::Ok: return QStringLiteral("リンク先は表示できます") + http;
    case LinkStatus::Moved: return QStringLiteral("リンク先は移転しました") + http + suffix;
    case LinkStatus::Gone: return QStringLiteral("リンク先のページがありません") + http;
    case LinkStatus::ServerError: return QStringLiteral("サーバーエラーです") + http + suffix;
    case LinkStatus::NoHost: return QStringLiteral("ホストが見つかりません") + suffix;
    case LinkStatus::Refused: return QStringLiteral("接続を拒否されました") + suffix;
    case LinkStatus::TlsError: return QStringLiteral("安全な接続（TLS）を確立できませんでした") + suffix;
    case LinkStatus::Timeout: return QStringLiteral("応答がありません（タイムアウト）");
    case LinkStatus::Invalid: return QStringLiteral("http/https のURLではないため確認していません") + suffix;
    }
    return QString();
}

bool IsDeadLink(const LinkResult &result)
{
    return result.status == LinkStatus::NoHost
        || (result.status == LinkStatus::Gone && (result.code == 404 || result.code == 410));
}
