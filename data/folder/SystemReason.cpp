#include "SystemReason.h"

#include "DataText.h"

#include <cerrno>

QString SystemReason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return DataText::tr("アクセスが拒否されました");
    case ENOSPC:
    case EDQUOT:
        return DataText::tr("ディスクの空き容量が不足しています");
    case EROFS:
        return DataText::tr("読み取り専用のファイルシステムです");
    case ENOENT:
        return DataText::tr("ファイルまたはフォルダーが見つかりません");
    case EEXIST:
        return DataText::tr("同じ名前のファイルが既にあります");
    case EISDIR:
        return DataText::tr("フォルダーです");
    case ENOTDIR:
        return DataText::tr("フォルダーではありません");
    case ENOTEMPTY:
        return DataText::tr("フォルダーが空ではありません");
    case ELOOP:
        return DataText::tr("シンボリックリンクは読み書きしません");
    case EFBIG:
        return DataText::tr("ファイルが大きすぎます（16 MiB まで）");
    case EIO:
        return DataText::tr("入出力エラーが発生しました");
    case ENOMEM:
        return DataText::tr("メモリが不足しています");
    case ENAMETOOLONG:
        return DataText::tr("名前が長すぎます");
    case EMFILE:
    case ENFILE:
        return DataText::tr("開いているファイルが多すぎます");
    case EBUSY:
    case ETXTBSY:
        return DataText::tr("ファイルが使用中です");
    case EAGAIN:
        return DataText::tr("一時的に利用できません。しばらくしてからもう一度お試しください");
    case EINTR:
        return DataText::tr("処理が中断されました");
    case EXDEV:
        return DataText::tr("別のドライブへは移動できません");
    case EMLINK:
        return DataText::tr("リンクが多すぎます");
    case EINVAL:
        return DataText::tr("この操作はこのファイルには使えません");
    case EOPNOTSUPP:
#if ENOTSUP != EOPNOTSUPP
    case ENOTSUP:
#endif
    case ENOSYS:
        return DataText::tr("このファイルシステムではこの操作ができません");
    case ENXIO:
    case ENODEV:
        return DataText::tr("デバイスが見つかりません");
    case ESTALE:
        return DataText::tr("ネットワーク上のファイルが無効になりました");
    case ETIMEDOUT:
        return DataText::tr("時間内に応答がありませんでした");
    case ENOLCK:
        return DataText::tr("ロックを取得できません");
    case EOVERFLOW:
        return DataText::tr("値が大きすぎます");
    case EBADF:
        return DataText::tr("ファイルが正しく開かれていません");
    default:
        return DataText::tr("予期しないシステムエラーが発生しました（エラー番号 %1）").arg(error);
    }
}
