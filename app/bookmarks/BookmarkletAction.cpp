#include "BookmarkletAction.h"

#include "Bookmarklet.h"

#include <QClipboard>
#include <QGuiApplication>

BookmarkletAction::BookmarkletAction(QObject *parent) : QAction(QStringLiteral("ブックマークレットをコピー"), parent)
{
    setObjectName(QStringLiteral("copyBookmarkletAction"));
    setToolTip(QStringLiteral("ブラウザーで見ているページを登録するブックマークレットをクリップボードにコピーします"));
    connect(this, &QAction::triggered, this, [this] {
        QGuiApplication::clipboard()->setText(Bookmarklet::code());
        emit copied(QStringLiteral(
            "ブックマークレットをクリップボードにコピーしました。\n"
            "ブラウザーで新しいブックマークを作り、その URL の欄に貼り付けてください。\n"
            "登録したいページでそのブックマークを開くと、サイト管理の登録の欄に URL・名前・選んだ文字（内容）が入ります。"));
    });
}
