#include "UploadProblem.h"

#include "CurlSession.h"
#include "ServerTrust.h"
#include "UploadText.h"

#include <curl/curl.h>

namespace {

bool says(const QString &detail, std::initializer_list<const char *> words)
{
    for (const char *word : words)
        if (detail.contains(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    return false;
}

UploadFailure trustFailure(const ServerTrust &trust, const UploadServer &server, const QString &detail)
{
    switch (trust.verdict()) {
    case ServerTrust::Verdict::HostKeyChanged:
        return {UploadProblem::HostKeyChanged,
                UploadText::tr("サーバーのホスト鍵が %1 に記録されているものと違います。サーバーが入れ替えられたか、"
                               "通信の途中で誰かがサーバーになりすましているおそれがあります。接続しませんでした。"
                               "サーバーの管理者に新しい鍵の指紋を確かめ、正しいと分かったときだけ、その行を %1 から"
                               "消してください（ssh-keygen -R %2）")
                    .arg(trust.knownHostsFile(), server.effectivePort() == 22
                                                     ? server.host
                                                     : QStringLiteral("'[%1]:%2'").arg(server.host).arg(server.effectivePort()))};
    case ServerTrust::Verdict::HostKeyRefused:
        return {UploadProblem::HostKeyRefused, UploadText::tr("初めてのサーバーの鍵が受け入れられなかったため、接続しませんでした")};
    case ServerTrust::Verdict::KnownHostsUnwritten:
        return {UploadProblem::KnownHostsUnwritten,
                UploadText::tr("ホスト鍵を記録できませんでした: %1").arg(trust.knownHostsReason())};
    case ServerTrust::Verdict::CertificateUntrusted:
        return {UploadProblem::CertificateUntrusted,
                UploadText::tr("サーバーの証明書を信頼できません（%1）。接続しませんでした")
                    .arg(trust.certificateProblem().isEmpty() ? detail : trust.certificateProblem())};
    case ServerTrust::Verdict::Trusted:
        break;
    }
    return {UploadProblem::CertificateUntrusted, UploadText::tr("サーバーの身元を確かめられませんでした（%1）").arg(detail)};
}

UploadFailure writeFailed()
{
    return {UploadProblem::WriteFailed,
            UploadText::tr("サーバーがファイルを書き込めませんでした（空き容量の不足か、書き込みの制限が考えられます）")};
}

} // namespace

UploadFailure ConnectionLostFailure()
{
    return {UploadProblem::ConnectionLost, UploadText::tr("サーバーとの接続が切れました")};
}

bool UploadFailure::endsRun() const
{
    switch (problem) {
    case UploadProblem::None:
    case UploadProblem::PermissionDenied:
    case UploadProblem::NotFound:
    case UploadProblem::RenameRefused:
    case UploadProblem::WriteFailed:
    case UploadProblem::Other:
        return false;
    default:
        return true;
    }
}

UploadFailure DescribeFailure(const CurlOutcome &outcome, const ServerTrust &trust, const UploadServer &server)
{
    const QString &detail = outcome.detail;
    if (trust.verdict() != ServerTrust::Verdict::Trusted)
        return trustFailure(trust, server, detail);
    switch (CURLcode(outcome.code)) {
    case CURLE_OK:
        return {};
    case CURLE_ABORTED_BY_CALLBACK:
        return {UploadProblem::Cancelled, UploadText::tr("中止しました")};
    case CURLE_LOGIN_DENIED:
    case CURLE_AUTH_ERROR:
        if (says(detail, {"private key", "key file", "passphrase"}))
            return {UploadProblem::KeyFileUnreadable,
                    UploadText::tr("鍵ファイルを読めません（パスフレーズが違うか、対応していない形式です）: %1").arg(server.keyFile)};
        return {UploadProblem::LoginRefused,
                UploadText::tr("認証が拒否されました（ユーザー名、パスワードまたは鍵を確かめてください）")};
    case CURLE_PEER_FAILED_VERIFICATION:
        return trustFailure(trust, server, detail);
    case CURLE_USE_SSL_FAILED:
        return {UploadProblem::NoTls, UploadText::tr("サーバーが TLS による暗号化（FTPS）に対応していません")};
    case CURLE_COULDNT_RESOLVE_HOST:
        return {UploadProblem::HostNotFound, UploadText::tr("ホストが見つかりません")};
    case CURLE_COULDNT_CONNECT:
        return {UploadProblem::CouldNotConnect, UploadText::tr("サーバーに接続できません（接続が拒否されたか、届きません）")};
    case CURLE_OPERATION_TIMEDOUT:
        return {UploadProblem::TimedOut, UploadText::tr("サーバーが応答しません（タイムアウト）")};
    case CURLE_REMOTE_DISK_FULL:
        return {UploadProblem::NoSpace, UploadText::tr("サーバーの空き容量が不足しています")};
    case CURLE_REMOTE_ACCESS_DENIED:
        return {UploadProblem::PermissionDenied,
                UploadText::tr("サーバーでアクセスが拒否されました（書き込みの権限がないか、フォルダーがありません）")};
    case CURLE_REMOTE_FILE_NOT_FOUND:
        return {UploadProblem::NotFound, UploadText::tr("サーバーにフォルダーが見つかりません")};
    case CURLE_QUOTE_ERROR:
        if (says(detail, {"permission", "denied"}))
            return {UploadProblem::PermissionDenied, UploadText::tr("サーバーでアクセスが拒否されました（名前を変えられません）")};
        return {UploadProblem::RenameRefused, UploadText::tr("サーバーでファイルの名前を変えられませんでした（%1）").arg(detail)};
    case CURLE_UPLOAD_FAILED:
    case CURLE_WRITE_ERROR:
        if (says(detail, {"space", "quota", "disk full", "452", "552"}))
            return {UploadProblem::NoSpace, UploadText::tr("サーバーの空き容量が不足しています")};
        if (says(detail, {"permission", "denied", "553", "550"}))
            return {UploadProblem::PermissionDenied, UploadText::tr("サーバーでアクセスが拒否されました")};
        return writeFailed();
    case CURLE_SSH:
        // libssh2 says no more when the server refuses a write (a full disk, where OpenSSH's
        // protocol has no word for it) than when the connection went: which it was, the next
        // request tells (UploadRun).
        return writeFailed();
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_WEIRD_SERVER_REPLY:
        return {UploadProblem::ConnectionLost, UploadText::tr("サーバーとの接続が切れました（%1）").arg(detail)};
    case CURLE_READ_ERROR:
        return {UploadProblem::Other, UploadText::tr("手元のファイルを読めませんでした")};
    default:
        return {UploadProblem::Other, UploadText::tr("アップロードに失敗しました（%1）").arg(detail)};
    }
}
