#include "SystemReason.h"

#include <cerrno>

QString SystemReason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセスが拒否されました");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクの空き容量が不足しています");
    case EROFS:
        return QStringLiteral("読み取り専用のファイルシステムです");
    case ENOENT:
        return QStringLiteral("ファイルまたはフォルダーが見つかりません");
    case EEXIST:
        return QStringLiteral("同じ名前のファイルが既にあります");
    case EISDIR:
        return QStringLiteral("フォルダーです");
    case ENOTDIR:
        return QStringLiteral("フォルダーではありません");
    case ENOTEMPTY:
        return QStringLiteral("フォルダーが空ではありません");
    case ELOOP:
        return QStringLiteral("シンボリックリンクは読み書きしません");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます（16 MiB まで）");
    case EIO:
        return QStringLiteral("入出力エラーが発生しました");
    case ENOMEM:
        return QStringLiteral("メモリが不足しています");
    case ENAMETOOLONG:
        return QStringLiteral("名前が長すぎます");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("ファイルが使用中です");
    case EAGAIN:
        return QStringLiteral("一時的に利用できません。しばらくしてからもう一度お試しください");
    case EINTR:
        return QStringLiteral("処理が中断されました");
    case EXDEV:
        return QStringLiteral("別のドライブへは移動できません");
    case EMLINK:
        return QStringLiteral("リンクが多すぎます");
    case EINVAL:
        return QStringLiteral("この操作はこのファイルには使えません");
    case EOPNOTSUPP:
#if ENOTSUP != EOPNOTSUPP
    case ENOTSUP:
#endif
    case ENOSYS:
        return QStringLiteral("このファイルシステムではこの操作ができません");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("デバイスが見つかりません");
    case ESTALE:
        return QStringLiteral("ネットワーク上のファイルが無効になりました");
    case ETIMEDOUT:
        return QStringLiteral("時間内に応答がありませんでした");
    case ENOLCK:
        return QStringLiteral("ロックを取得できません");
    case EOVERFLOW:
        return QStringLiteral("値が大きすぎます");
    case EBADF:
        return QStringLiteral("ファイルが正しく開かれていません");
    default:
        return QStringLiteral("予期しないシステムエラーが発生しました（エラー番号 %1）").arg(error);
    }
}
