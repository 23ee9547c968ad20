#include "LinkStatus.h"

#include "LinkCheckText.h"

#include <iterator>

namespace {

// Every status with its word for scripts and files, its label for people and its meaning.
struct StatusRow
{
    LinkStatus status;
    const char *name;
    const char *label;
    LinkVerdict verdict;
};

const StatusRow kStatuses[] = {
    {LinkStatus::Ok, "ok", QT_TRANSLATE_NOOP("LinkCheckText", "正常"), LinkVerdict::Ok},
    {LinkStatus::Moved, "moved", QT_TRANSLATE_NOOP("LinkCheckText", "移転"), LinkVerdict::Moved},
    {LinkStatus::Gone, "gone", QT_TRANSLATE_NOOP("LinkCheckText", "リンク切れ"), LinkVerdict::Dead},
    {LinkStatus::ServerError, "server_error", QT_TRANSLATE_NOOP("LinkCheckText", "サーバーエラー"), LinkVerdict::Warning},
    {LinkStatus::NoHost, "no_host", QT_TRANSLATE_NOOP("LinkCheckText", "ホストなし"), LinkVerdict::Dead},
    {LinkStatus::Refused, "refused", QT_TRANSLATE_NOOP("LinkCheckText", "接続拒否"), LinkVerdict::Warning},
    {LinkStatus::TlsError, "tls_error", QT_TRANSLATE_NOOP("LinkCheckText", "TLSエラー"), LinkVerdict::Warning},
    {LinkStatus::Timeout, "timeout", QT_TRANSLATE_NOOP("LinkCheckText", "タイムアウト"), LinkVerdict::Warning},
    {LinkStatus::Invalid, "invalid", QT_TRANSLATE_NOOP("LinkCheckText", "確認対象外"), LinkVerdict::Unchecked},
    {LinkStatus::Forbidden, "forbidden", QT_TRANSLATE_NOOP("LinkCheckText", "アクセス拒否"), LinkVerdict::Warning},
    {LinkStatus::Offline, "offline", QT_TRANSLATE_NOOP("LinkCheckText", "未確認"), LinkVerdict::Warning},
    {LinkStatus::Internal, "internal_redirect", QT_TRANSLATE_NOOP("LinkCheckText", "内部アドレスへの転送"), LinkVerdict::Warning},
};
static_assert(std::size(kStatuses) == int(LinkStatus::Internal) + 1, "one row per status");

const StatusRow &row(LinkStatus status)
{
    return kStatuses[int(status)];
}

} // namespace

LinkVerdict LinkVerdictOf(LinkStatus status)
{
    return row(status).verdict;
}

QString LinkStatusName(LinkStatus status)
{
    return QString::fromLatin1(row(status).name);
}

bool LinkStatusFromName(QStringView name, LinkStatus &status)
{
    for (const StatusRow &candidate : kStatuses) {
        if (name == QLatin1String(candidate.name)) {
            status = candidate.status;
            return true;
        }
    }
    return false;
}

QString LinkStatusLabel(LinkStatus status)
{
    return LinkCheckText::tr(row(status).label);
}

LinkStatus ClientErrorStatus(int code)
{
    return code == 404 || code == 410 ? LinkStatus::Gone : LinkStatus::Forbidden;
}

QString LinkMessage(LinkStatus status, int code, const QString &detail)
{
    const QString http = code ? LinkCheckText::tr("（HTTP %1）").arg(code) : QString();
    const QString suffix = detail.isEmpty() ? QString() : QStringLiteral(": ") + detail;
    switch (status) {
    case LinkStatus::Ok: return LinkCheckText::tr("リンク先は表示できます") + http;
    // The new address is what the reader needs; the code of the page found there is not.
    case LinkStatus::Moved: return LinkCheckText::tr("リンク先は移転しました") + (detail.isEmpty() ? http : suffix);
    case LinkStatus::Gone: return LinkCheckText::tr("リンク先のページがありません") + http;
    case LinkStatus::Forbidden: return LinkCheckText::tr("リンク先のサーバーが確認を拒みました") + http;
    case LinkStatus::ServerError: return LinkCheckText::tr("サーバーエラーです") + http + suffix;
    case LinkStatus::NoHost: return LinkCheckText::tr("ホストが見つかりません") + suffix;
    // The system's reason for a refusal only says "refused" again.
    case LinkStatus::Refused: return LinkCheckText::tr("接続を拒否されました");
    case LinkStatus::TlsError: return LinkCheckText::tr("安全な接続（TLS）を確立できませんでした") + suffix;
    case LinkStatus::Timeout: return LinkCheckText::tr("応答がありません（タイムアウト）");
    // With a code, a redirect the check would not follow: the detail says where and why.
    case LinkStatus::Invalid:
        return (code ? LinkCheckText::tr("転送をたどりませんでした") + http : LinkCheckText::tr("http/https のURLではないため確認していません"))
            + suffix;
    case LinkStatus::Offline: return LinkCheckText::tr("ネットワークに接続できません") + suffix;
    case LinkStatus::Internal: return LinkCheckText::tr("内部アドレスへの転送のため、たどりませんでした") + http + suffix;
    }
    return QString();
}

bool IsDeadLink(const LinkResult &result)
{
    return LinkVerdictOf(result.status) == LinkVerdict::Dead;
}
